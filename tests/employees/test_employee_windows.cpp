#include "data/master_repository.h"
#include "employees/camera.h"
#include "employees/employee_edit_window.h"
#include "employees/employee_entry_window.h"
#include "employees/employee_list_window.h"
#include "reports/report_viewer.h"
#include "support/amounts.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A camera for tests: the devices it is given, and a picture sent whenever the test says.
class FakeCamera final : public Camera {
public:
    explicit FakeCamera(QStringList devices) : m_devices(std::move(devices)) {}
    QStringList devices() const override { return m_devices; }
    bool start(int device) override { return m_running = device >= 0 && device < m_devices.size(); }
    void stop() override { m_running = false; }
    void send(const QImage& frame)
    {
        if (m_running)
            emit frameReady(frame);
    }

private:
    QStringList m_devices;
    bool m_running = false;
};

Employee employee(const QString& name, const char* rate)
{
    Employee e;
    e.name = name;
    e.gender = QStringLiteral("Male");
    e.civilStatus = QStringLiteral("Single");
    e.address = QStringLiteral("1 MILL ROAD");
    e.department = QStringLiteral("ACCOUNTS");
    e.position = QStringLiteral("CLERK");
    e.employmentStatus = QStringLiteral("Full Time");
    e.group = QStringLiteral("STAFF");
    e.basicRate = c(rate);
    e.dateEmployed = QDate(2020, 5, 4);
    return e;
}

// The exemptions in the order of their boxes, chkPFExempt, chkESIExempt and chkPTExempt.
const QStringList exemptionKinds{QStringLiteral("PF"), QStringLiteral("ESI"), QStringLiteral("PT")};

// What the returns and the bank need of an employee: the two numbers, the exemptions' dates (empty:
// none) and the bank details.
QStringList details(const Employee& e)
{
    const statutory::Exemptions& x = e.exemptions;
    const bank::Details& b = e.bank;
    return {e.pfNumber, e.esiNumber, x.pfFrom.toString(Qt::ISODate), x.esiFrom.toString(Qt::ISODate),
            x.ptFrom.toString(Qt::ISODate), bank::modeCaption(b.mode), b.holder, b.account, b.branchCode, b.bankName};
}

QImage frame()
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

} // namespace

// The employee windows on a database with departments ACCOUNTS and SALES and groups STAFF and
// WORKERS. Today is 15 March 2026.
class TestEmployeeWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init()
    {
        m_f = std::make_unique<WindowFixture>();
        for (const char* name : {"SALES", "ACCOUNTS"})
            QVERIFY(MasterRepository(m_f->db(), MasterRepository::Kind::Department).add(QString::fromLatin1(name)));
        for (const char* name : {"WORKERS", "STAFF"})
            QVERIFY(MasterRepository(m_f->db(), MasterRepository::Kind::Group).add(QString::fromLatin1(name)));
    }
    void cleanup() { m_f.reset(); }

    void entrySavesEveryColumnAndGoesOn()
    {
        openEntry();
        m_f->control<QDateEdit>("dtpHired")->setDate(QDate(2020, 1, 1));
        m_f->click("cmdAdd");
        QCOMPARE(m_f->text("txtIDNo") + "|" + m_f->text("txtBasicRate"), QStringLiteral("1|0"));
        QCOMPARE(m_f->control<QDateEdit>("dtpHired")->date(), QDate(2026, 3, 15)); // Add starts on today
        fillEntry("KEVIN", "", "O'BRIEN");
        m_f->control<QDateEdit>("dtpHired")->setDate(QDate(2024, 3, 5));
        m_f->control<QDateEdit>("dtpBirth")->setDate(QDate(1968, 3, 15));
        m_f->control<QCheckBox>("chkPension")->setChecked(false);
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Employee Record Saved Successfully"));
        const auto stored = EmployeeRepository(m_f->db()).find(1).value();
        QVERIFY(stored);
        QCOMPARE(QStringList({stored->name, stored->gender, stored->civilStatus, stored->address, stored->department,
                              stored->group, stored->position, stored->employmentStatus,
                              stored->dateEmployed.toString(Qt::ISODate), stored->basicRate.toString()}),
                 QStringList({"KEVIN O'BRIEN", "Male", "Married", "4 NEHRU NAGAR", "SALES", "WORKERS", "FITTER",
                              "Part-Time", "2024-03-05", c("15250.5").toString()}));
        QCOMPARE(stored->exemptions.birthDate, QDate(1968, 3, 15));
        QVERIFY(!stored->exemptions.pensionMember);
        // Straight on to the next employee: the next number, emptied fields, the same hire date.
        QCOMPARE(m_f->texts({"txtIDNo", "txtFName", "cboGender", "txtBasicRate"}), (QStringList{"2", "", "", "0"}));
        QCOMPARE(m_f->control<QDateEdit>("dtpHired")->date(), QDate(2024, 3, 5));
        fillEntry(" RAMESH ", "K", "PATEL");
        m_f->click("cmdSave");
        // The next one's birth is not known and the pension is his, until typed otherwise.
        const Employee next = EmployeeRepository(m_f->db()).find(2).value().value();
        QCOMPARE(next.name, QStringLiteral("RAMESH K PATEL"));
        QVERIFY(!next.exemptions.birthDate.isValid() && next.exemptions.pensionMember);
    }

    // The boxes are checked in turn, the entry's and the edit's alike: the first one wrong is named
    // and takes the focus, and nothing is stored.
    void checksBeforeStoring_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("typed"); // typed into the field; none: the field is left blank
        const char* const rows[][4] = {
            {"name", "txtFName", "Please enter First Name.", ""},
            {"gender", "cboGender", "Please Select Gender.", ""},
            {"status", "cboStat", "Please Select Status.", ""},
            {"address", "txtAddress", "Please enter Employee's Address.", ""},
            {"position", "txtPosition", "Please enter Employee's Position.", ""},
            {"employment status", "cboEmpStat", "Please Select Employee's Status.", ""},
            {"basic rate", "txtBasicRate", "Please enter Employee's Basic Salary Rate.", ""},
            // The rules' verdicts on a box turned into a message.
            {"UAN a digit short", "txtPFNo", "The provident fund account number (UAN) must be 12 digits (it is "
             "\"12345678901\").", "12345678901"},
            {"branch code without its zero", "txtBranchCode", "The branch code must be four letters, a zero and six "
             "letters or digits, like SBIN0001234 (it is \"SBIN1234567\").", "sbin1234567"}};
        for (const bool edit : {false, true})
            for (const auto& row : rows)
                QTest::addRow("%s: %s", edit ? "edit" : "entry", row[0]) << edit << row[1] << row[2] << row[3];
        QTest::newRow("entry: a rate that is no number")
            << false << "txtBasicRate" << "Please enter the basic salary rate as a number." << ".";
    }
    void checksBeforeStoring()
    {
        QFETCH(bool, edit);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        if (edit) {
            openEdit(employee(QStringLiteral("RAMESH PATEL"), "12500"));
        } else {
            openEntry();
            m_f->click("cmdAdd");
            fillEntry("RAMESH", "K", "PATEL");
        }
        if (typed.isEmpty()) {
            blank(field);
            blank("txtBasicRate"); // the last box waits its turn
        } else {
            m_f->type(field, typed); // Enter takes the focus on: the refusal brings it back
        }
        m_f->click("cmdSave");
        QFETCH(QString, message);
        QCOMPARE(m_f->prompter.texts(), QStringList{message});
        QWidget* box = m_f->control(field);
        QVERIFY(edit || box->hasFocus() || box->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(button("cmdSave")->isEnabled());
        // Nothing stored: no entry, and the employee edited as it was.
        QCOMPARE(m_f->database().count("SELECT count(*) FROM emp WHERE emname <> 'RAMESH PATEL' OR basicrate <> "
                                       "125000000 OR pfno <> '' OR ifsc <> ''"),
                 0);
    }

    // Update rewrites the row but the basic rate, which shows grouped with two decimals and stays.
    void editUpdatesAndLocks()
    {
        QTemporaryDir dir;
        const QString photo = dir.filePath("p.png");
        QVERIFY(frame().save(photo));
        Employee e = employee(QStringLiteral("RAMESH PATEL"), "12500.1235");
        e.photo = photo;
        auto* window = openEdit(e);
        QCOMPARE(m_f->text("txtBasicRate"), QStringLiteral("12,500.12"));
        // An increment stored while the window is open is not undone by the update.
        QSqlQuery raise(m_f->db().connection());
        QVERIFY(raise.exec("UPDATE emp SET basicrate = basicrate + 5000000"));
        QVERIFY(m_f->control<QLineEdit>("txtBasicRate")->isReadOnly());
        QVERIFY(!m_f->control<QLabel>("Image1")->pixmap().isNull());
        QSignalSpy updated(window, &EmployeeEditWindow::updated);
        m_f->type("txtFName", "RAMESH K PATEL", false);
        m_f->control<QComboBox>("Combo1")->setCurrentText("SALES");
        m_f->control<QDateEdit>("dtpHired")->setDate(QDate(2021, 1, 2));
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Data entry successfully updated."));
        QCOMPARE(updated.size(), 1);
        const Employee stored = *EmployeeRepository(m_f->db()).find(1).value();
        QCOMPARE(QStringList({stored.name, stored.department, stored.dateEmployed.toString(Qt::ISODate),
                              stored.basicRate.toString(), stored.photo}),
                 QStringList({"RAMESH K PATEL", "SALES", "2021-01-02", c("13000.1235").toString(), photo}));

        // The next employee, hired on no stored date, shows no date rather than the one before, and
        // keeps none when saved; a picture file that is gone leaves the picture empty, and nothing is said.
        Employee undated = employee(QStringLiteral("SITA RAO"), "200");
        undated.dateEmployed = QDate();
        undated.photo = QStringLiteral("/nowhere/p.jpg");
        const qint64 id = EmployeeRepository(m_f->db()).insert(undated).value();
        const qsizetype said = m_f->prompter.entries().size();
        window->load(*EmployeeRepository(m_f->db()).find(id).value());
        QCOMPARE(m_f->control<QDateEdit>("dtpHired")->text(), QStringLiteral("No date"));
        QVERIFY(m_f->control<QLabel>("Image1")->pixmap().isNull());
        QCOMPARE(m_f->text("Text14"), undated.photo);
        QCOMPARE(m_f->prompter.entries().size(), said);
        m_f->click("cmdSave");
        QCOMPARE(updated.size(), 2);
        QCOMPARE(EmployeeRepository(m_f->db()).find(id).value()->dateEmployed, QDate());
        // An employee deleted meanwhile is not written back.
        window->load(*EmployeeRepository(m_f->db()).find(id).value());
        QVERIFY(EmployeeRepository(m_f->db()).remove(id));
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("There is no employee number %1.").arg(id));
        QVERIFY(button("cmdSave")->isEnabled());
    }

    // What is stored is shown, and the numbers typed and the exemptions ticked are what is stored; an
    // exemption unticked is none, though its date box still shows a date. (The entry window reads the
    // same boxes.)
    void statutoryDetailsAreShownAndStored()
    {
        Employee e = employee(QStringLiteral("RAMESH PATEL"), "100");
        e.pfNumber = QStringLiteral("100234567890");
        e.esiNumber = QStringLiteral("3112345678");
        e.exemptions.esiFrom = QDate(2024, 1, 1);
        e.exemptions.ptFrom = QDate(2025, 4, 1);
        e.bank = {bank::PayMode::Cheque, "R PATEL", "00123456789", "HDFC0001234", "HDFC BANK"};
        openEdit(e);
        QCOMPARE(shownDetails(), details(e));
        // The ESI exemption lifted, a PF one given, the ESI number dropped, paid by transfer elsewhere.
        m_f->type("txtPFNo", "100234567891");
        m_f->type("txtESINo", "");
        m_f->control<QComboBox>("cboPayMode")->setCurrentText(bank::modeCaption(bank::PayMode::Transfer));
        m_f->type("txtAccountHolder", "S PATEL");
        m_f->type("txtAccountNo", "00987654321");
        m_f->type("txtBranchCode", "sbin0001234"); // typed in small letters, stored in capitals
        m_f->type("txtBankName", "SBI");
        exemptBox(0)->click();
        exemptDate(0)->setDate(QDate(2026, 1, 1));
        exemptBox(1)->click();
        m_f->click("cmdSave");
        const auto stored = EmployeeRepository(m_f->db()).find(1).value();
        QVERIFY2(stored, qPrintable(m_f->prompter.lastText()));
        QCOMPARE(details(*stored), (QStringList{"100234567891", "", "2026-01-01", "", "2025-04-01",
                                                bank::modeCaption(bank::PayMode::Transfer), "S PATEL", "00987654321",
                                                "SBIN0001234", "SBI"}));
    }

    // What was typed and not saved is not lost unasked, whichever way it would go: the window
    // closed (Close, or another window's key), or another employee loaded into the edit window.
    void typedInputIsNotLostUnasked_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<bool>("replace");
        QTest::newRow("entry closed") << false << false;
        QTest::newRow("edit closed") << true << false;
        QTest::newRow("another employee edited") << true << true;
    }
    void typedInputIsNotLostUnasked()
    {
        QFETCH(bool, edit);
        QFETCH(bool, replace);
        EmployeeEditWindow* editor = nullptr;
        if (edit) {
            editor = openEdit(employee(QStringLiteral("RAMESH PATEL"), "100"));
            m_f->type("txtPosition", "MANAGER", false);
        } else {
            openEntry();
            m_f->click("cmdAdd");
            m_f->type("txtFName", "RAMESH", false);
        }
        const auto attempt = [&] {
            if (replace)
                return editor->mayReplace();
            return m_f->window()->close();
        };
        m_f->prompter.answer(false);
        QVERIFY(!attempt());
        QVERIFY2(m_f->prompter.lastText().contains("is not saved"), qPrintable(m_f->prompter.lastText()));
        QVERIFY(m_f->window()->isVisible());
        QCOMPARE(m_f->text(edit ? "txtPosition" : "txtFName"), edit ? QStringLiteral("MANAGER") : QStringLiteral("RAMESH"));
        m_f->prompter.answer(true);
        QVERIFY(attempt());
        // Nothing typed since: nothing asked.
        const qsizetype asked = m_f->prompter.entries().size();
        if (edit)
            editor->load(*EmployeeRepository(m_f->db()).find(1).value());
        QVERIFY(m_f->window()->close());
        QCOMPARE(m_f->prompter.entries().size(), asked);
    }

    // The rates sort as numbers; what is done is done to the row shown, mapped through the sort, and
    // only on Yes; the last number, deleted, is not given again.
    void listSortsFiltersAndDeletesTheRowShown()
    {
        addThree();
        m_f->open<EmployeeListWindow>();
        QCOMPARE(listed(0), (QStringList{"1", "2", "3"}));
        auto* view = m_f->control<QTableView>("lvlEmpInfo");
        auto* header = view->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(8) + 5, 5));
        QCOMPARE(listed(8), (QStringList{"9000", "12500", "41000"}));
        m_f->type("txtFilter", "suni", false);
        QCOMPARE(listed(1), (QStringList{"SUNITA SHARMA"}));
        m_f->type("txtFilter", "3", false);
        QCOMPARE(listed(1), (QStringList{"ANTHONY D'SOUZA"}));
        m_f->type("txtFilter", "", false);
        QCOMPARE(listed(0).size(), 3);
        view->sortByColumn(8, Qt::DescendingOrder);
        selectRows({0}); // ANTHONY D'SOUZA, number 3
        m_f->click("cmdDelete");
        QCOMPARE(m_f->prompter.last().defaultButton, Prompter::Default::No);
        QCOMPARE(m_f->database().count("SELECT count(*) FROM emp"), 3);
        m_f->prompter.answer(true);
        m_f->click("cmdDelete");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Record deleted."));
        QCOMPARE(listed(1), (QStringList{"RAMESH PATEL", "SUNITA SHARMA"}));
        QCOMPARE(m_f->database().count("SELECT count(*) FROM emp WHERE ID = 3"), 0);
        openEntry();
        m_f->click("cmdAdd");
        QCOMPARE(m_f->text("txtIDNo"), QStringLiteral("4"));
    }

    // The row chosen is edited and the list shows the update, the employee still chosen; the chosen
    // employees, or all, are printed.
    void listEditsAndPrintsTheChosen()
    {
        addThree();
        auto* list = m_f->open<EmployeeListWindow>();
        selectRows({0});
        m_f->click("cmdEdit");
        auto* edit = list->findChild<EmployeeEditWindow*>();
        QVERIFY(edit);
        auto* name = edit->findChild<QLineEdit*>("txtFName");
        QCOMPARE(name->text(), QStringLiteral("RAMESH PATEL"));
        name->setText(QStringLiteral("RAMESH K PATEL"));
        QTest::mouseClick(edit->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
        QCOMPARE(listed(1).first(), QStringLiteral("RAMESH K PATEL"));
        selectRows({0, 2});
        m_f->click("cmdPrintSel");
        QCOMPARE(list->findChildren<ReportViewer*>().last()->document().rowCount(), 2);
        m_f->click("cmdPrintAll");
        const report::Document& all = list->findChildren<ReportViewer*>().last()->document();
        QCOMPARE(all.name + " " + QString::number(all.rowCount()), QStringLiteral("drtSel_emp_info 3"));
    }

    // A frame saved as .jpg is a JPEG file, and its path is what the employee's row keeps.
    void photographFromTheCamera()
    {
        auto camera = std::make_unique<FakeCamera>(QStringList{"Front camera", "USB camera"});
        FakeCamera* fake = camera.get();
        m_f->open<EmployeeEntryWindow>(nullptr, std::move(camera));
        m_f->click("cmdAdd");
        fillEntry("RAMESH", "K", "PATEL");
        m_f->click("cmdStart");
        fake->send(frame()); // sent only while the camera runs
        QVERIFY(!m_f->control<QLabel>("Image1")->pixmap().isNull());
        QTemporaryDir dir;
        m_f->prompter.answerFile(dir.filePath("photo.jpg"));
        m_f->click("Command1");
        QFile file(dir.filePath("photo.jpg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(3), QByteArray("\xFF\xD8\xFF"));
        file.close();
        QCOMPARE(m_f->text("Text14"), dir.filePath("photo.jpg"));
        // A name typed without a type becomes a bitmap; one that exists is replaced only when the
        // operator says so.
        QFile earlier(dir.filePath("R.PATEL.bmp"));
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("another employee's picture") > 0);
        earlier.close();
        m_f->click("cmdStart");
        fake->send(frame());
        m_f->prompter.answerFile(dir.filePath("R.PATEL"));
        m_f->prompter.answer(false);
        m_f->click("Command1");
        QVERIFY2(m_f->prompter.lastText().contains("already exists"), qPrintable(m_f->prompter.lastText()));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("another employee's picture"));
        QCOMPARE(m_f->text("Text14"), dir.filePath("photo.jpg"));
        // A file that is not a picture, though named as one, is refused and the photograph stays.
        QFile notAPicture(dir.filePath("notes.jpg"));
        QVERIFY(notAPicture.open(QIODevice::WriteOnly) && notAPicture.write("a list of names") > 0);
        notAPicture.close();
        m_f->prompter.answerFile(notAPicture.fileName());
        m_f->click("cmdBrowse");
        QVERIFY2(m_f->prompter.lastText().contains("cannot be read as a picture"), qPrintable(m_f->prompter.lastText()));
        QCOMPARE(m_f->text("Text14"), dir.filePath("photo.jpg"));
        QVERIFY(!m_f->control<QLabel>("Image1")->pixmap().isNull());
        m_f->click("cmdSave");
        QCOMPARE(EmployeeRepository(m_f->db()).find(1).value()->photo, dir.filePath("photo.jpg"));
        // The next employee starts without the last one's photograph.
        QCOMPARE(m_f->text("Text14"), QString());
    }

private:
    EmployeeEntryWindow* openEntry(QStringList devices = {"Camera"})
    {
        return m_f->open<EmployeeEntryWindow>(nullptr, std::make_unique<FakeCamera>(devices));
    }
    EmployeeEditWindow* openEdit(const Employee& e)
    {
        const qint64 id = EmployeeRepository(m_f->db()).insert(e).value();
        auto* window = m_f->open<EmployeeEditWindow>(nullptr, std::make_unique<FakeCamera>(QStringList{}));
        window->load(*EmployeeRepository(m_f->db()).find(id).value());
        return window;
    }
    void fillEntry(const QString& first, const QString& middle, const QString& last)
    {
        m_f->type("txtFName", first, false);
        m_f->type("txtMI", middle, false);
        m_f->type("txtLName", last, false);
        m_f->control<QComboBox>("cboGender")->setCurrentText("Male");
        m_f->control<QComboBox>("cboStat")->setCurrentText("Married");
        m_f->type("txtAddress", "4 NEHRU NAGAR", false);
        m_f->control<QComboBox>("Combo1")->setCurrentText("SALES");
        m_f->control<QComboBox>("Combo2")->setCurrentText("WORKERS");
        m_f->type("txtPosition", "FITTER", false);
        m_f->control<QComboBox>("cboEmpStat")->setCurrentText("Part-Time");
        m_f->type("txtBasicRate", "15250.5", false);
    }
    void blank(const QString& field)
    {
        QWidget* w = m_f->control(field);
        if (auto* combo = qobject_cast<QComboBox*>(w))
            combo->setCurrentText(QString());
        else if (auto* text = qobject_cast<QPlainTextEdit*>(w))
            text->clear();
        else
            static_cast<QLineEdit*>(w)->clear();
    }
    void addThree()
    {
        for (const auto& [name, rate] : {std::pair{"RAMESH PATEL", "12500"}, std::pair{"SUNITA SHARMA", "9000"},
                                         std::pair{"ANTHONY D'SOUZA", "41000"}})
            QVERIFY(EmployeeRepository(m_f->db()).insert(employee(QString::fromLatin1(name), rate)));
    }
    QPushButton* button(const char* name) { return m_f->control<QPushButton>(QString::fromLatin1(name)); }
    // The details as the window shows them, in the order details() gives them.
    QStringList shownDetails()
    {
        QStringList shown = m_f->texts({"txtPFNo", "txtESINo"});
        for (qsizetype i = 0; i < exemptionKinds.size(); ++i)
            shown << (exemptBox(i)->isChecked() ? exemptDate(i)->date().toString(Qt::ISODate) : QString());
        return shown + m_f->texts({"cboPayMode", "txtAccountHolder", "txtAccountNo", "txtBranchCode", "txtBankName"});
    }
    QCheckBox* exemptBox(qsizetype i) { return m_f->control<QCheckBox>("chk" + exemptionKinds.at(i) + "Exempt"); }
    QDateEdit* exemptDate(qsizetype i) { return m_f->control<QDateEdit>("dtp" + exemptionKinds.at(i) + "Exempt"); }
    QStringList listed(int column) const
    {
        const QAbstractItemModel* model = m_f->control<QTableView>("lvlEmpInfo")->model();
        QStringList values;
        for (int row = 0; row < model->rowCount(); ++row)
            values << model->index(row, column).data().toString();
        return values;
    }
    void selectRows(std::initializer_list<int> rows)
    {
        auto* view = m_f->control<QTableView>("lvlEmpInfo");
        view->clearSelection();
        for (int row : rows)
            view->selectionModel()->select(view->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestEmployeeWindows)
#include "test_employee_windows.moc"
