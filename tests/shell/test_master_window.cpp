#include "data/company_repository.h"
#include "data/master_repository.h"
#include "data/sql_query.h"
#include "data/user_repository.h"
#include "shell/master_window.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

using Kind = MasterWindow::Kind;
Q_DECLARE_METATYPE(MasterWindow::Kind)

namespace {

MasterRepository::Kind repositoryKind(Kind kind)
{
    return kind == Kind::Department ? MasterRepository::Kind::Department : MasterRepository::Kind::Group;
}

void seed(Database& db, Kind kind, const QStringList& names)
{
    for (const QString& name : names) {
        const bool added = kind == Kind::Company ? CompanyRepository(db).add(name, QString()).ok()
                                                 : MasterRepository(db, repositoryKind(kind)).add(name).ok();
        QVERIFY2(added, qPrintable(name));
    }
}

// The names as stored, exactly (the columns compare without case, so a count would not tell).
QStringList storedNames(Database& db, Kind kind)
{
    QStringList names;
    if (kind == Kind::Company) {
        const auto companies = CompanyRepository(db).list();
        for (const Company& c : companies.value())
            names << c.name;
    } else {
        names = MasterRepository(db, repositoryKind(kind)).names();
    }
    return names;
}

QTableView* gridOf(QWidget& window)
{
    return window.findChild<QTableView*>(QStringLiteral("DataGrid1"));
}

QPushButton* button(QWidget& window, const char* name)
{
    return window.findChild<QPushButton*>(QLatin1String(name));
}

// The grid's open cell editor; closed editors linger hidden until they are deleted.
QLineEdit* openEditor(QTableView* grid)
{
    for (QLineEdit* editor : grid->viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

void showActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Enter stores the cell; the grid does it once the editor has seen the key.
void submit(QLineEdit* editor)
{
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
}

void editCell(QTableView* grid, int row, int column)
{
    const QModelIndex cell = grid->model()->index(row, column);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
}

} // namespace

class TestMasterWindow : public QObject {
    Q_OBJECT
private slots:
    void typedSmallLettersAreStoredInCapitals_data();
    void typedSmallLettersAreStoredInCapitals();
    void refusedNameIsReportedAndNotStored_data();
    void refusedNameIsReportedAndNotStored();
    void companyAddressWithoutNameIsReported();
    void deleteRemovesCurrentRowOnly_data();
    void deleteRemovesCurrentRowOnly();
    void companyDeleteAndRenameNeedThePassword_data();
    void companyDeleteAndRenameNeedThePassword();
    void emptyTableAndUnnamedRows_data();
    void emptyTableAndUnnamedRows();
    void companyMasterStoresNameAndAddressAndSignalsClose();
    void quotedNamesRoundTrip_data();
    void quotedNamesRoundTrip();
    void showingSelectsLastRow();
    void failingStatementIsReportedAsError_data();
    void failingStatementIsReportedAsError();
};

void TestMasterWindow::typedSmallLettersAreStoredInCapitals_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("department") << Kind::Department << "sales"
                                << "SALES";
    QTest::newRow("group, mixed") << Kind::Group << "Staff b2"
                                  << "STAFF B2";
    QTest::newRow("company") << Kind::Company << "acme ltd"
                             << "ACME LTD";
}

void TestMasterWindow::typedSmallLettersAreStoredInCapitals()
{
    QFETCH(Kind, kind);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    WindowFixture f;
    seed(f.db(), kind, {"ALPHA"});
    MasterWindow window(f.context, kind);
    showActive(window);
    QTableView* grid = gridOf(window);

    QTest::mouseClick(button(window, "Command1"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->currentIndex().row(), 1);
    QLineEdit* editor = openEditor(grid);
    QVERIFY(editor);
    QTest::keyClicks(editor, typed);
    QCOMPARE(editor->text(), stored); // capitals as typed, not only once stored
    submit(editor);

    QCOMPARE(storedNames(f.db(), kind), (QStringList{"ALPHA", stored}));
    QCOMPARE(grid->model()->index(1, 0).data().toString(), stored);
    QCOMPARE(grid->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));
    QVERIFY(f.prompter.entries().isEmpty());
}

void TestMasterWindow::refusedNameIsReportedAndNotStored_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("row"); // -1: a new row started by Add
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("new department, other case") << Kind::Department << -1 << "beta"
                                                << "already exists";
    QTest::newRow("new group, spaces around") << Kind::Group << -1 << " alpha "
                                              << "already exists";
    QTest::newRow("new company") << Kind::Company << -1 << "Beta"
                                 << "already exists";
    QTest::newRow("department renamed to another") << Kind::Department << 0 << "beta"
                                                   << "already exists";
    QTest::newRow("company renamed to another") << Kind::Company << 1 << "alpha"
                                                << "already exists";
    QTest::newRow("group emptied") << Kind::Group << 1 << "   "
                                   << "Please enter";
    QTest::newRow("company emptied") << Kind::Company << 0 << ""
                                     << "Please enter";
}

void TestMasterWindow::refusedNameIsReportedAndNotStored()
{
    QFETCH(Kind, kind);
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    WindowFixture f;
    const QStringList existing{"ALPHA", "BETA"};
    seed(f.db(), kind, existing);
    MasterWindow window(f.context, kind);
    showActive(window);
    QTableView* grid = gridOf(window);

    if (row < 0) {
        QTest::mouseClick(button(window, "Command1"), Qt::LeftButton);
        row = int(existing.size());
    } else {
        editCell(grid, row, 0);
    }
    QLineEdit* editor = openEditor(grid);
    QVERIFY(editor);
    editor->clear();
    QTest::keyClicks(editor, typed);
    submit(editor);

    QCOMPARE(f.prompter.entries().size(), 1);
    QCOMPARE(f.prompter.last().icon, Prompter::Icon::Warning);
    QVERIFY2(f.prompter.lastText().contains(message), qPrintable(f.prompter.lastText()));
    QCOMPARE(storedNames(f.db(), kind), existing);
    // The cell keeps what it had: the old name, or nothing in the new row.
    const QString before = row < existing.size() ? existing.at(row) : QString();
    QCOMPARE(grid->model()->index(row, 0).data().toString(), before);

    // Leaving the window stores nothing more and says nothing more.
    QTest::mouseClick(button(window, "Command3"), Qt::LeftButton);
    QCOMPARE(storedNames(f.db(), kind), existing);
    QCOMPARE(f.prompter.entries().size(), 1);
}

void TestMasterWindow::companyAddressWithoutNameIsReported()
{
    WindowFixture f;
    MasterWindow window(f.context, Kind::Company);
    showActive(window);
    QTableView* grid = gridOf(window);

    QTest::mouseClick(button(window, "Command1"), Qt::LeftButton);
    QLineEdit* editor = openEditor(grid);
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Tab); // on to the address, name left empty
    editor = openEditor(grid);
    QVERIFY(editor);
    QTest::keyClicks(editor, "market road");
    submit(editor);
    QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("MARKET ROAD"));
    QVERIFY(f.prompter.entries().isEmpty());

    QTest::mouseClick(button(window, "Command3"), Qt::LeftButton);
    QVERIFY(storedNames(f.db(), Kind::Company).isEmpty());
    QCOMPARE(f.prompter.entries().size(), 1);
    QCOMPARE(f.prompter.last().icon, Prompter::Icon::Warning);
    QVERIFY(f.prompter.lastText().contains("company name"));
}

void TestMasterWindow::deleteRemovesCurrentRowOnly_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("referencesSql");
    QTest::newRow("department") << Kind::Department << "SELECT count(*) FROM emp WHERE dept = 'B'";
    QTest::newRow("group") << Kind::Group << "SELECT count(*) FROM emp WHERE grp = 'B'";
}

void TestMasterWindow::deleteRemovesCurrentRowOnly()
{
    QFETCH(Kind, kind);
    QFETCH(QString, referencesSql);
    WindowFixture f;
    Database& db = f.db();
    seed(db, kind, {"A", "B", "C"});
    QVERIFY(execute(db, "INSERT INTO emp (ID, emname, dept, grp) VALUES (1, 'RAVI  PATEL', 'B', 'B')"));
    QVERIFY(execute(db, "INSERT INTO payroll (ID, emname, company) VALUES (1, 'RAVI  PATEL', 'B')"));
    MasterWindow window(f.context, kind);
    showActive(window);
    QTableView* grid = gridOf(window);

    grid->setCurrentIndex(grid->model()->index(1, 0));
    QTest::mouseClick(button(window, "Command2"), Qt::LeftButton);

    QCOMPARE(storedNames(db, kind), (QStringList{"A", "C"}));
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("C"));
    QCOMPARE(f.database().count(referencesSql), 1);
    QVERIFY(f.prompter.entries().isEmpty());
}

void TestMasterWindow::companyDeleteAndRenameNeedThePassword_data()
{
    QTest::addColumn<QString>("action"); // delete or rename row 1 ("B", which has payroll rows) or 2 ("C")
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("password"); // typed into the frame; empty: no frame is expected
    QTest::addColumn<QStringList>("companies");
    QTest::addColumn<QString>("payrollCompany");
    QTest::newRow("delete, wrong password") << "delete" << 1 << "DEL" << QStringList{"A", "B", "C"} << "B";
    QTest::newRow("delete") << "delete" << 1 << "del" << QStringList{"A", "C"} << "B";
    QTest::newRow("rename with data, wrong password") << "rename" << 1 << "x" << QStringList{"A", "B", "C"} << "B";
    QTest::newRow("rename with data") << "rename" << 1 << "del" << QStringList{"A", "NEW", "C"} << "NEW";
    QTest::newRow("rename without data") << "rename" << 2 << "" << QStringList{"A", "B", "NEW"} << "B";
}

void TestMasterWindow::companyDeleteAndRenameNeedThePassword()
{
    QFETCH(QString, action);
    QFETCH(int, row);
    QFETCH(QString, password);
    QFETCH(QStringList, companies);
    QFETCH(QString, payrollCompany);
    WindowFixture f;
    seed(f.db(), Kind::Company, {"A", "B", "C"});
    QVERIFY(UserRepository(f.db()).setDeletePassword("del"));
    QVERIFY(execute(f.db(), "INSERT INTO payroll (ID, emname, company) VALUES (1, 'RAVI', 'B')"));
    MasterWindow window(f.context, Kind::Company);
    showActive(window);
    QTableView* grid = gridOf(window);
    if (action == "delete") {
        grid->setCurrentIndex(grid->model()->index(row, 0));
        QTest::mouseClick(button(window, "Command2"), Qt::LeftButton);
    } else {
        editCell(grid, row, 0);
        QLineEdit* editor = openEditor(grid);
        editor->clear();
        QTest::keyClicks(editor, "new");
        submit(editor);
    }
    QWidget* frame = window.findChild<QWidget*>("fraDelPass");
    QCOMPARE(frame->isVisible(), !password.isEmpty());
    if (!password.isEmpty()) {
        // Nothing has changed while the frame waits for the password.
        QCOMPARE(storedNames(f.db(), Kind::Company), (QStringList{"A", "B", "C"}));
        f.prompter.answer(true);
        QTest::keyClicks(window.findChild<QLineEdit*>("txtDelPass"), password);
        QTest::mouseClick(button(window, "cmdDelPassDelete"), Qt::LeftButton);
        QVERIFY(!frame->isVisible());
    }
    QCOMPARE(storedNames(f.db(), Kind::Company), companies);
    QCOMPARE(f.database().count("SELECT count(*) FROM payroll WHERE company = '" + payrollCompany + "'"), 1);
    for (int i = 0; i < companies.size(); ++i)
        QCOMPARE(grid->model()->index(i, 0).data().toString(), companies[i]);
}

void TestMasterWindow::emptyTableAndUnnamedRows_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("objectName"); // the name other windows open it by
    QTest::newRow("department") << Kind::Department << "Form20";
    QTest::newRow("group") << Kind::Group << "Form17";
    QTest::newRow("company") << Kind::Company << "Form19";
}

void TestMasterWindow::emptyTableAndUnnamedRows()
{
    QFETCH(Kind, kind);
    QFETCH(QString, objectName);
    WindowFixture f;
    MasterWindow window(f.context, kind);
    QCOMPARE(window.objectName(), objectName);
    showActive(window);
    QTableView* grid = gridOf(window);
    QCOMPARE(grid->model()->rowCount(), 0);

    QTest::mouseClick(button(window, "Command2"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), 0);

    QTest::mouseClick(button(window, "Command1"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(grid->currentIndex().row(), 0);
    QVERIFY(openEditor(grid));
    // Add again drops the unnamed row and starts one in its place.
    QTest::mouseClick(button(window, "Command1"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(grid->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("*"));
    QVERIFY(openEditor(grid));

    // Deleting the new, unnamed row only drops it.
    QTest::mouseClick(button(window, "Command2"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), 0);
    QVERIFY(storedNames(f.db(), kind).isEmpty());
    QVERIFY(f.prompter.entries().isEmpty());

    // The table still works after that.
    QTest::mouseClick(button(window, "Command1"), Qt::LeftButton);
    QLineEdit* editor = openEditor(grid);
    QVERIFY(editor);
    QTest::keyClicks(editor, "first");
    // Close by its shortcut: the editor keeps the focus, yet what it holds is stored.
    QTest::keyClick(editor, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!window.isVisible());
    QCOMPARE(storedNames(f.db(), kind), QStringList{"FIRST"});
}

void TestMasterWindow::companyMasterStoresNameAndAddressAndSignalsClose()
{
    WindowFixture f;
    Database& db = f.db();
    seed(db, Kind::Company, {"ALPHA"});
    QVERIFY(CompanyRepository(db).select("ALPHA"));
    MasterWindow window(f.context, Kind::Company);
    QSignalSpy closed(&window, &MasterWindow::closed);
    showActive(window);
    QTableView* grid = gridOf(window);

    QTest::mouseClick(button(window, "Command1"), Qt::LeftButton);
    QLineEdit* editor = openEditor(grid);
    QVERIFY(editor);
    QTest::keyClicks(editor, "beta traders");
    QTest::keyClick(editor, Qt::Key_Tab);
    editor = openEditor(grid);
    QVERIFY(editor);
    QTest::keyClicks(editor, "12 market road, hilltown");
    // Add pressed by its shortcut leaves the focus in the editor; what it holds is still stored
    // before the next row starts.
    QTest::keyClick(editor, Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(grid->model()->rowCount(), 3);

    const QList<Company> companies = CompanyRepository(db).list().value();
    QCOMPARE(companies.size(), 2);
    QCOMPARE(companies.at(1).name, QStringLiteral("BETA TRADERS"));
    QCOMPARE(companies.at(1).address, QStringLiteral("12 MARKET ROAD, HILLTOWN"));
    // A new company is not the chosen one; the chosen one stays chosen.
    QCOMPARE(CompanyRepository(db).selected(), std::optional<QString>("ALPHA"));
    QVERIFY(f.prompter.entries().isEmpty());

    // A name that reaches the grid other than by typing (pasted, say) is kept in capitals too.
    QVERIFY(grid->model()->setData(grid->model()->index(1, 0), "beta & sons"));
    QCOMPARE(CompanyRepository(db).list().value().at(1).name, QStringLiteral("BETA & SONS"));

    QCOMPARE(closed.count(), 0);
    QTest::mouseClick(button(window, "Command3"), Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!window.isVisible());
    QCOMPARE(CompanyRepository(db).list().value().size(), 2);
}

void TestMasterWindow::quotedNamesRoundTrip_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("department") << Kind::Department;
    QTest::newRow("company") << Kind::Company;
}

void TestMasterWindow::quotedNamesRoundTrip()
{
    QFETCH(Kind, kind);
    WindowFixture f;
    seed(f.db(), kind, {"ALPHA"});
    {
        MasterWindow window(f.context, kind);
        showActive(window);
        QTableView* grid = gridOf(window);
        QTest::mouseClick(button(window, "Command1"), Qt::LeftButton);
        QLineEdit* editor = openEditor(grid);
        QVERIFY(editor);
        QTest::keyClicks(editor, "o'neil");
        submit(editor);
        editCell(grid, 0, 0);
        editor = openEditor(grid);
        QVERIFY(editor);
        editor->clear();
        QTest::keyClicks(editor, "d'souza \"ltd\"");
        submit(editor);
    }
    const QStringList expected{"D'SOUZA \"LTD\"", "O'NEIL"};
    QCOMPARE(storedNames(f.db(), kind), expected);
    QVERIFY(f.prompter.entries().isEmpty());
    // Read back by a window opened afresh.
    MasterWindow again(f.context, kind);
    QAbstractItemModel* model = gridOf(again)->model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, 0).data().toString(), expected.at(0));
    QCOMPARE(model->index(1, 0).data().toString(), expected.at(1));
}

void TestMasterWindow::showingSelectsLastRow()
{
    WindowFixture f;
    QStringList names;
    for (int i = 1; i <= 60; ++i)
        names << QStringLiteral("DEPT %1").arg(i);
    seed(f.db(), Kind::Department, names);
    MasterWindow window(f.context, Kind::Department);
    window.resize(400, 300);
    showActive(window);
    QTableView* grid = gridOf(window);

    QCOMPARE(grid->currentIndex().row(), 59);
    QVERIFY(grid->selectionModel()->isRowSelected(59, {}));
    const QRect lastCell = grid->visualRect(grid->currentIndex());
    QVERIFY(grid->viewport()->rect().contains(lastCell.center()));

    // Coming back to the window after moving up shows the end of the list again.
    grid->setCurrentIndex(grid->model()->index(0, 0));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activate);
    QCOMPARE(grid->currentIndex().row(), 59);
}

void TestMasterWindow::failingStatementIsReportedAsError_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::newRow("Add") << "Command1";
    QTest::newRow("Delete") << "Command2";
}

void TestMasterWindow::failingStatementIsReportedAsError()
{
    QFETCH(QString, buttonName);
    WindowFixture f;
    seed(f.db(), Kind::Group, {"A", "B"});
    MasterWindow window(f.context, Kind::Group);
    showActive(window);
    QTableView* grid = gridOf(window);
    QVERIFY(execute(f.db(), "DROP TABLE grp"));

    QTest::mouseClick(button(window, qPrintable(buttonName)), Qt::LeftButton);
    QCOMPARE(f.prompter.entries().size(), 1);
    QCOMPARE(f.prompter.last().icon, Prompter::Icon::Critical);
    QCOMPARE(f.prompter.last().title, QStringLiteral("Error"));
    // The window keeps what it showed and starts nothing new.
    QCOMPARE(grid->model()->rowCount(), 2);
    QVERIFY(!openEditor(grid));
}

QTEST_MAIN(TestMasterWindow)
#include "test_master_window.moc"
