#include "data/company_repository.h"
#include "data/master_repository.h"
#include "data/sql_query.h"
#include "data/user_repository.h"
#include "data/month_close.h"
#include "data/statutory_repository.h"
#include "shell/master_window.h"
#include "shell/month_close_window.h"
#include "shell/statutory_window.h"
#include "support/amounts.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

using Kind = MasterWindow::Kind;
Q_DECLARE_METATYPE(MasterWindow::Kind)

namespace {

// A grid's open cell editor; closed editors linger hidden until they are deleted.
QLineEdit* openEditor(const QAbstractItemView* grid)
{
    for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

// A master window of one kind on a database of its own, with what the operator does in its grid.
struct Masters : WindowFixture {
    explicit Masters(Kind kind, const QStringList& names = {}) : kind(kind)
    {
        for (const QString& name : names)
            if (!(kind == Kind::Company ? CompanyRepository(db()).add(name, {}).status()
                                        : masters().add(name).status()))
                qFatal("cannot add %s", qPrintable(name));
    }
    MasterRepository masters()
    {
        return {db(), kind == Kind::Department ? MasterRepository::Kind::Department : MasterRepository::Kind::Group};
    }
    MasterWindow* open() { return WindowFixture::open<MasterWindow>(kind); }
    QTableView* grid() const { return control<QTableView>("DataGrid1"); }
    QAbstractItemModel* model() const { return grid()->model(); }
    QString cell(int row, int column = 0) const { return model()->index(row, column).data().toString(); }
    // The names as stored, exactly (the columns compare without case, so a count would not tell).
    QStringList stored()
    {
        if (kind != Kind::Company)
            return masters().names();
        QStringList names;
        const auto companies = CompanyRepository(db()).list();
        for (const Company& c : companies.value())
            names << c.name;
        return names;
    }
    QLineEdit* editor() const { return openEditor(grid()); }
    void edit(int row, int column = 0)
    {
        const QModelIndex index = model()->index(row, column);
        grid()->setCurrentIndex(index);
        grid()->edit(index);
    }
    // Replaces the open editor's text and stores it with Enter.
    void enter(const QString& text)
    {
        QLineEdit* e = editor();
        if (!e)
            qFatal("no cell is being edited");
        e->clear();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
        QCoreApplication::processEvents(); // the grid stores the cell once the editor has seen the key
    }

    Kind kind;
};

} // namespace

class TestMasterWindow : public QObject {
    Q_OBJECT
private slots:
    // A name typed into the grid is kept in capitals, as it is typed, or refused with a warning and
    // nothing stored.
    void typedNameIsStoredInCapitalsOrRefused_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("row"); // -1: a new row started by Add
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");  // stored in the new row; empty: refused
        QTest::addColumn<QString>("message"); // what the refusal says
        QTest::newRow("department") << Kind::Department << -1 << "sales" << "SALES" << "";
        QTest::newRow("company") << Kind::Company << -1 << "acme ltd" << "ACME LTD" << "";
        QTest::newRow("quote in a department") << Kind::Department << -1 << "o'neil" << "O'NEIL" << "";
        QTest::newRow("quotes in a company") << Kind::Company << -1 << "d'souza \"ltd\"" << "D'SOUZA \"LTD\"" << "";
        QTest::newRow("new department, other case") << Kind::Department << -1 << "beta" << "" << "already exists";
        QTest::newRow("department renamed to another") << Kind::Department << 0 << "beta" << "" << "already exists";
        QTest::newRow("company renamed to another") << Kind::Company << 1 << "alpha" << "" << "already exists";
        QTest::newRow("group emptied") << Kind::Group << 1 << "   " << "" << "Please enter";
        QTest::newRow("company emptied") << Kind::Company << 0 << "" << "" << "Please enter";
    }
    void typedNameIsStoredInCapitalsOrRefused()
    {
        QFETCH(Kind, kind);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        const QStringList existing{"ALPHA", "BETA"};
        Masters f(kind, existing);
        f.open();
        if (row < 0) {
            f.click("Command1");
            row = int(existing.size());
            QCOMPARE(f.grid()->currentIndex().row(), row);
        } else {
            f.edit(row);
        }
        QLineEdit* editor = f.editor();
        QVERIFY(editor);
        editor->clear();
        QTest::keyClicks(editor, typed);
        if (!stored.isEmpty())
            QCOMPARE(editor->text(), stored); // capitals as typed, not only once stored
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the grid stores the cell once the editor has seen the key
        if (!stored.isEmpty()) {
            QCOMPARE(f.stored(), existing + QStringList{stored});
            QVERIFY(f.prompter.entries().isEmpty());
            return;
        }
        QCOMPARE(f.prompter.entries().size(), 1);
        QCOMPARE(f.prompter.last().icon, Prompter::Icon::Warning);
        QVERIFY2(f.prompter.lastText().contains(message), qPrintable(f.prompter.lastText()));
        // The cell keeps what it had: the old name, or nothing in the new row.
        QCOMPARE(f.cell(row), row < existing.size() ? existing.at(row) : QString());
        // Leaving the window stores nothing and says nothing more.
        f.click("Command3");
        QCOMPARE(f.stored(), existing);
        QCOMPARE(f.prompter.entries().size(), 1);
    }

    // That employees keep the name of a deleted department or group is the repository's, tested with it.
    void deleteRemovesCurrentRowOnly()
    {
        Masters f(Kind::Group, {"A", "B", "C"});
        f.open();
        f.grid()->setCurrentIndex(f.model()->index(1, 0));
        f.click("Command2");
        QCOMPARE(f.stored(), (QStringList{"A", "C"}));
        QCOMPARE(f.grid()->currentIndex().data().toString(), QStringLiteral("C"));
        QVERIFY(f.prompter.entries().isEmpty());
    }

    // The frame's own refusals are the guard's, tested with it; here the window shows it when the
    // company has data, changes nothing while it waits, and keeps the old name on a wrong password.
    void companyDeleteAndRenameNeedThePassword_data()
    {
        QTest::addColumn<QString>("action"); // delete or rename row 1 ("B", which has payroll rows) or 2 ("C")
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("password"); // typed into the frame; empty: no frame is expected
        QTest::addColumn<QStringList>("companies");
        QTest::addColumn<QString>("payrollCompany");
        QTest::newRow("delete") << "delete" << 1 << "del" << QStringList{"A", "C"} << "B";
        QTest::newRow("rename with data, wrong password") << "rename" << 1 << "x" << QStringList{"A", "B", "C"} << "B";
        QTest::newRow("rename with data") << "rename" << 1 << "del" << QStringList{"A", "NEW", "C"} << "NEW";
        QTest::newRow("rename without data") << "rename" << 2 << "" << QStringList{"A", "B", "NEW"} << "B";
    }
    void companyDeleteAndRenameNeedThePassword()
    {
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(QString, password);
        QFETCH(QStringList, companies);
        QFETCH(QString, payrollCompany);
        Masters f(Kind::Company, {"A", "B", "C"});
        QVERIFY(UserRepository(f.db()).setDeletePassword("del"));
        QVERIFY(execute(f.db(), "INSERT INTO payroll (ID, emname, company) VALUES (1, 'RAVI', 'B')"));
        f.open();
        if (action == "delete") {
            f.grid()->setCurrentIndex(f.model()->index(row, 0));
            f.click("Command2");
        } else {
            f.edit(row);
            f.enter("new");
        }
        QWidget* frame = f.control("fraDelPass");
        QCOMPARE(frame->isVisible(), !password.isEmpty());
        if (!password.isEmpty()) {
            // Nothing has changed while the frame waits for the password.
            QCOMPARE(f.stored(), (QStringList{"A", "B", "C"}));
            f.prompter.answer(true);
            QTest::keyClicks(f.control<QLineEdit>("txtDelPass"), password);
            f.click("cmdDelPassDelete");
        }
        QCOMPARE(f.stored(), companies);
        QCOMPARE(f.database().count("SELECT count(*) FROM payroll WHERE company = '" + payrollCompany + "'"), 1);
        for (int i = 0; i < companies.size(); ++i)
            QCOMPARE(f.cell(i), companies[i]);
    }

    void emptyTableAndUnnamedRows_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("department") << Kind::Department;
        QTest::newRow("group") << Kind::Group;
        QTest::newRow("company") << Kind::Company;
    }
    void emptyTableAndUnnamedRows()
    {
        QFETCH(Kind, kind);
        Masters f(kind);
        f.open();
        f.click("Command2"); // nothing to delete
        QCOMPARE(f.model()->rowCount(), 0);
        // Add again drops the unnamed row and starts one in its place; deleting it only drops it.
        f.click("Command1");
        f.click("Command1");
        QCOMPARE(f.model()->rowCount(), 1);
        QVERIFY(f.editor());
        f.click("Command2");
        QCOMPARE(f.model()->rowCount(), 0);
        QVERIFY(f.prompter.entries().isEmpty());
        // The table still works; Close by its shortcut keeps the focus in the editor, yet stores it.
        f.click("Command1");
        QTest::keyClicks(f.editor(), "first");
        QTest::keyClick(f.editor(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!f.window()->isVisible());
        QCOMPARE(f.stored(), QStringList{"FIRST"});
    }

    void companyMasterStoresNameAndAddress()
    {
        Masters f(Kind::Company, {"ALPHA"});
        QVERIFY(CompanyRepository(f.db()).select("ALPHA"));
        f.open();
        f.click("Command1");
        QTest::keyClicks(f.editor(), "beta traders");
        QTest::keyClick(f.editor(), Qt::Key_Tab);
        QTest::keyClicks(f.editor(), "12 market road, hilltown");
        // Add by its shortcut leaves the focus in the editor; what it holds is stored all the same.
        QTest::keyClick(f.editor(), Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(f.model()->rowCount(), 3);
        const Company beta = CompanyRepository(f.db()).list().value().at(1);
        QCOMPARE(beta.name + "|" + beta.address, QStringLiteral("BETA TRADERS|12 MARKET ROAD, HILLTOWN"));
        // A new company is not the chosen one; the chosen one stays chosen.
        QCOMPARE(CompanyRepository(f.db()).selected(), std::optional<QString>("ALPHA"));
        // A name that reaches the grid other than by typing (pasted, say) is kept in capitals too.
        QVERIFY(f.model()->setData(f.model()->index(1, 0), "beta & sons"));
        QCOMPARE(f.stored(), (QStringList{"ALPHA", "BETA & SONS"}));
        // The row Add started, given an address but no name, is not dropped unsaid when the window closes.
        QTest::keyClick(f.editor(), Qt::Key_Tab);
        f.enter("market road");
        QCOMPARE(f.cell(2, 1), QStringLiteral("MARKET ROAD"));
        QVERIFY(f.prompter.entries().isEmpty());
        f.click("Command3");
        QCOMPARE(f.stored(), (QStringList{"ALPHA", "BETA & SONS"}));
        QCOMPARE(f.prompter.texts(), QStringList{"The new company was not saved: please enter the company name."});
    }

    void failingStatementIsReportedAsError_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Add") << "Command1";
        QTest::newRow("Delete") << "Command2";
    }
    void failingStatementIsReportedAsError()
    {
        QFETCH(QString, button);
        Masters f(Kind::Group, {"A", "B"});
        f.open();
        QVERIFY(execute(f.db(), "DROP TABLE grp"));
        f.click(button);
        QCOMPARE(f.prompter.entries().size(), 1);
        QCOMPARE(f.prompter.last().title, QStringLiteral("Error"));
        // The window keeps what it showed and starts nothing new.
        QCOMPARE(f.model()->rowCount(), 2);
        QVERIFY(!f.editor());
    }

    // A month is closed and reopened only with the delete password; a reopening needs its reason.
    void monthsAreClosedAndReopenedBehindThePassword()
    {
        WindowFixture f;
        QVERIFY(UserRepository(f.db()).setDeletePassword("delete"));
        f.open<MonthCloseWindow>();
        MonthCloseRepository months(f.db());
        // February, the month before the fixture's today, is offered.
        f.prompter.answerPassword("Delete");
        f.click("cmdCloseMonth");
        QCOMPARE(f.prompter.lastText(), QStringLiteral("wrong password"));
        f.prompter.answerPassword("delete");
        f.prompter.answer(false);
        f.click("cmdCloseMonth");
        QVERIFY(!months.find("ACME", QDate(2026, 2, 1)).value());
        f.prompter.answerPassword("delete");
        f.prompter.answer(true);
        f.click("cmdCloseMonth");
        QCOMPARE(f.control<QListWidget>("lvwClosed")->item(0)->text(),
                 QStringLiteral("February 2026 closed by admin on 15/03/2026"));
        f.click("cmdReopen");
        QCOMPARE(f.prompter.lastText(), QStringLiteral("Give the reason for reopening February 2026."));
        QVERIFY(months.find("ACME", QDate(2026, 2, 1)).value());
        f.type("txtReason", "arrears left out", false);
        f.prompter.answerPassword("delete");
        f.click("cmdReopen");
        QVERIFY(!months.find("ACME", QDate(2026, 2, 1)).value());
        QCOMPARE(f.control<QListWidget>("lvwClosed")->count(), 0);
        QCOMPARE(SqlQuery(f.db(), "SELECT note FROM audit WHERE kind = 'reopen'").single()->toString(),
                 QStringLiteral("arrears left out"));
    }

    void statutoryRulesAreSavedFromAMonth_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QString>("pfRate");
        QTest::addColumn<QDate>("closed"); // closed before the window opens; none when invalid
        QTest::addColumn<QString>("message"); // how the last thing the window says begins
        QTest::addColumn<QString>("focus");   // where a refusal leaves the operator; empty: not checked
        // clang-format off
        QTest::newRow("PF and PT from April") << QDate(2026, 4, 1) << "10" << QDate()
            << "The statutory rules of ACME from April 2026 are saved." << "";
        QTest::newRow("the month after a closed one") << QDate(2026, 2, 1) << "12.5" << QDate(2026, 1, 1)
            << "The statutory rules of ACME from February 2026 are saved." << "";
        QTest::newRow("rate over 100") << QDate(2026, 4, 1) << "150" << QDate()
            << "The provident fund rate cannot be more than 100 %." << "txtPFRate";
        QTest::newRow("before a closed month") << QDate(2026, 2, 1) << "10" << QDate(2026, 3, 1)
            << "Rules cannot change from February 2026: March 2026 closed by admin" << "";
        // clang-format on
    }
    // A set of rules typed into the window is stored from its month, with every figure as shown;
    // a figure the rules refuse, or a month at or before a closed one, stores nothing.
    void statutoryRulesAreSavedFromAMonth()
    {
        QFETCH(QDate, from);
        QFETCH(QString, pfRate);
        QFETCH(QDate, closed);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        WindowFixture f;
        if (closed.isValid())
            QVERIFY(MonthCloseRepository(f.db()).close("ACME", closed));
        f.open<StatutoryWindow>();
        f.control<QDateEdit>("dtpFrom")->setDate(from);
        auto* divisor = f.control<QComboBox>("cboDivisor");
        divisor->setCurrentIndex(divisor->findText("30 days"));
        // Ticked from the keyboard: a click in the middle of a wide tick box misses its caption.
        QTest::keyClick(f.control("chkPF"), Qt::Key_Space);
        f.type("txtPFRate", pfRate);
        QTest::keyClick(f.control("chkPT"), Qt::Key_Space);
        // A third slab in the first blank row; the rows below it stay blank and are left out.
        auto* slabs = f.control<QTableWidget>("tblSlabs");
        const QStringList slab{"15000", "300"};
        for (int column = 0; column < slab.size(); ++column) {
            slabs->edit(slabs->model()->index(2, column));
            QLineEdit* editor = openEditor(slabs);
            QVERIFY(editor);
            QTest::keyClicks(editor, slab.at(column));
            QTest::keyClick(editor, Qt::Key_Return);
            QCoreApplication::processEvents(); // the table takes the cell once the editor has seen the key
        }
        f.click("cmdSave");
        QVERIFY2(f.prompter.lastText().startsWith(message), qPrintable(f.prompter.lastText()));
        if (!focus.isEmpty())
            QCOMPARE(f.window()->focusWidget(), f.control(focus));
        const bool saved = message.endsWith(QLatin1String("are saved."));
        const QList<statutory::Rules> book = StatutoryRepository(f.db()).book("ACME").value().dated();
        QCOMPARE(book.size(), saved ? 1 : 0);
        if (!saved)
            return;
        // The figures left as the window shows them are a new set's own (their values are checked by
        // the pay calculation's tests, the payroll stored under them by the repositories').
        statutory::Rules expected;
        expected.company = "ACME";
        expected.from = from;
        expected.divisor = statutory::Divisor::Thirty;
        expected.pfOn = expected.ptOn = true;
        expected.pfRate = c(qPrintable(pfRate));
        expected.ptSlabs << statutory::Slab{c("15000"), c("300")};
        QVERIFY(book.first() == expected);
    }
};

QTEST_MAIN(TestMasterWindow)
#include "test_master_window.moc"
