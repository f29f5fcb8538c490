#include "data/master_repository.h"
#include "employees/camera.h"
#include "employees/employee_edit_window.h"
#include "employees/employee_entry_window.h"
#include "employees/employee_list_window.h"
#include "reports/report_viewer.h"
#include "support/amounts.h"
#include "support/window_fixture.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

// What the returns need of an employee: the two numbers and the exemptions.
struct Statutory {
    QString uan;
    QString esi;
    statutory::Exemptions from;
    bank::Details bank{};
};

// The exemptions in the order of their boxes, chkPFExempt, chkESIExempt and chkPTExempt.
const QStringList exemptionKinds{QStringLiteral("PF"), QStringLiteral("ESI"), QStringLiteral("PT")};
QList<QDate> exemptionDates(const statutory::Exemptions& from)
{
    return {from.pfFrom, from.esiFrom, from.ptFrom};
}

QImage frame()
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

} // namespace

Q_DECLARE_METATYPE(Statutory)

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
        QVERIFY(!button("cmdSave")->isEnabled());
        QCOMPARE(m_f->control<QComboBox>("Combo1")->itemText(0), QStringLiteral("ACCOUNTS")); // sorted
        m_f->control<QDateEdit>("dtpHired")->setDate(QDate(2020, 1, 1));
        m_f->click("cmdAdd");
        QCOMPARE(m_f->text("txtIDNo"), QStringLiteral("1"));
        QCOMPARE(m_f->text("txtBasicRate"), QStringLiteral("0"));
        QCOMPARE(m_f->control<QDateEdit>("dtpHired")->date(), QDate(2026, 3, 15)); // Add starts on today
        fillEntry("KEVIN", "", "O'BRIEN");
        m_f->control<QDateEdit>("dtpHired")->setDate(QDate(2024, 3, 5));
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Employee Record Saved Successfully"));
        const auto stored = EmployeeRepository(m_f->db()).find(1).value();
        QVERIFY(stored);
        QCOMPARE(stored->name, QStringLiteral("KEVIN O'BRIEN"));
        QCOMPARE(stored->gender, QStringLiteral("Male"));
        QCOMPARE(stored->civilStatus, QStringLiteral("Married"));
        QCOMPARE(stored->address, QStringLiteral("4 NEHRU NAGAR"));
        QCOMPARE(stored->department, QStringLiteral("SALES"));
        QCOMPARE(stored->group, QStringLiteral("WORKERS"));
        QCOMPARE(stored->position, QStringLiteral("FITTER"));
        QCOMPARE(stored->employmentStatus, QStringLiteral("Part-Time"));
        QCOMPARE(stored->basicRate, c("15250.5"));
        QCOMPARE(stored->dateEmployed, QDate(2024, 3, 5));
        // Straight on to the next employee: the next number, emptied fields, the same hire date.
        QCOMPARE(m_f->text("txtIDNo"), QStringLiteral("2"));
        QCOMPARE(m_f->text("txtFName"), QString());
        QCOMPARE(m_f->text("cboGender"), QString());
        QCOMPARE(m_f->text("txtBasicRate"), QStringLiteral("0"));
        QCOMPARE(m_f->control<QDateEdit>("dtpHired")->date(), QDate(2024, 3, 5));
        QVERIFY(button("cmdSave")->isEnabled() && !button("cmdAdd")->isEnabled());
        fillEntry(" RAMESH ", "K", "PATEL");
        m_f->click("cmdSave");
        QCOMPARE(EmployeeRepository(m_f->db()).find(2).value()->name, QStringLiteral("RAMESH K PATEL"));
    }

    // Enter moves from box to box, through the lists on the way, which do not open by themselves:
    // an untouched list stays empty on Enter, Down chooses its first entry.
    void enterWalksThroughTheLists()
    {
        openEntry();
        m_f->click("cmdAdd");
        m_f->type("txtLName", "PATEL");
        auto* gender = m_f->control<QComboBox>("cboGender");
        QTRY_VERIFY(gender->hasFocus());
        QTest::qWait(20);
        QVERIFY(!QApplication::activePopupWidget());
        QTest::keyClick(gender, Qt::Key_Return);
        QTRY_VERIFY(m_f->control("cboStat")->hasFocus());
        QCOMPARE(gender->currentIndex(), -1);
        gender->setFocus();
        QTest::keyClick(gender, Qt::Key_Down);
        QCOMPARE(gender->currentIndex(), 0);
        QTest::keyClick(gender, Qt::Key_Return);
        QTRY_VERIFY(m_f->control("cboStat")->hasFocus());
        QCOMPARE(gender->currentIndex(), 0);
    }

    void entryChecksBeforeStoring_data() { checks_data(); }
    void entryChecksBeforeStoring()
    {
        QFETCH(QString, field);
        QFETCH(QString, message);
        QFETCH(QString, typed);
        openEntry();
        m_f->click("cmdAdd");
        fillEntry("RAMESH", "K", "PATEL");
        if (typed.isEmpty()) {
            blank(field);
            blank("txtBasicRate"); // the last field waits its turn
        } else {
            m_f->type(field, typed); // Enter takes the focus on: the refusal brings it back
        }
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), message);
        QCOMPARE(m_f->prompter.last().icon, Prompter::Icon::Information);
        QCOMPARE(m_f->prompter.last().title, QStringLiteral("Information"));
        QVERIFY(m_f->control(field)->hasFocus() || m_f->control(field)->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(m_f->database().count("SELECT count(*) FROM emp"), 0);
    }

    void entryRefusesARateThatIsNoNumber()
    {
        openEntry();
        m_f->click("cmdAdd");
        fillEntry("RAMESH", "K", "PATEL");
        m_f->control<QLineEdit>("txtBasicRate")->setText(QStringLiteral("."));
        m_f->click("cmdSave");
        QVERIFY(m_f->prompter.lastText().contains(QStringLiteral("as a number")));
        QCOMPARE(m_f->database().count("SELECT count(*) FROM emp"), 0);
    }

    void cancelLocksWhatWasTyped()
    {
        openEntry();
        m_f->click("cmdAdd");
        m_f->type("txtFName", "RAMESH");
        m_f->click("cmdCancel");
        QCOMPARE(m_f->text("txtFName"), QStringLiteral("RAMESH"));
        QVERIFY(m_f->control<QLineEdit>("txtFName")->isReadOnly());
        QVERIFY(button("cmdAdd")->isEnabled() && !button("cmdSave")->isEnabled());
        m_f->click("cmdAdd");
        QCOMPARE(m_f->text("txtFName"), QString());
        QCOMPARE(m_f->text("txtIDNo"), QStringLiteral("1"));
    }

    // Deleting the last employee does not give its number to the next one.
    void numbersAreNeverGivenTwice()
    {
        for (int i = 1; i <= 8; ++i)
            QVERIFY(EmployeeRepository(m_f->db()).insert(employee(QStringLiteral("E%1").arg(i), "100")));
        m_f->open<EmployeeListWindow>();
        selectRows({7});
        m_f->prompter.answer(true);
        m_f->click("cmdDelete");
        QCOMPARE(m_f->database().count("SELECT count(*) FROM emp"), 7);
        openEntry();
        m_f->click("cmdAdd");
        QCOMPARE(m_f->text("txtIDNo"), QStringLiteral("9"));
    }

    void editChecksInOrder_data() { checks_data(); }
    void editChecksInOrder()
    {
        QFETCH(QString, field);
        QFETCH(QString, message);
        QFETCH(QString, typed);
        openEdit(employee(QStringLiteral("RAMESH PATEL"), "12500"));
        if (typed.isEmpty())
            blank(field);
        else
            m_f->type(field, typed);
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), message);
        QCOMPARE(m_f->prompter.entries().size(), 1);
        QVERIFY(button("cmdSave")->isEnabled());
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
        QVERIFY(m_f->database().count("SELECT count(*) FROM emp") == 1);
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
        QCOMPARE(stored.name, QStringLiteral("RAMESH K PATEL"));
        QCOMPARE(stored.department, QStringLiteral("SALES"));
        QCOMPARE(stored.dateEmployed, QDate(2021, 1, 2));
        QCOMPARE(stored.basicRate, c("13000.1235"));
        QCOMPARE(stored.photo, photo);
        QVERIFY(!button("cmdSave")->isEnabled() && !button("cmdCancel")->isEnabled());
        QVERIFY(m_f->control<QLineEdit>("txtFName")->isReadOnly());

        // The next employee, hired on no stored date, shows no date rather than the one before, and
        // keeps none when saved.
        Employee undated = employee(QStringLiteral("SITA RAO"), "200");
        undated.dateEmployed = QDate();
        const qint64 id = EmployeeRepository(m_f->db()).insert(undated).value();
        static_cast<EmployeeEditWindow*>(m_f->window())->load(*EmployeeRepository(m_f->db()).find(id).value());
        QCOMPARE(m_f->control<QDateEdit>("dtpHired")->text(), QStringLiteral("No date"));
        m_f->click("cmdSave");
        QCOMPARE(EmployeeRepository(m_f->db()).find(id).value()->dateEmployed, QDate());
    }

    // The numbers typed and the exemptions ticked are what is stored, and what is stored is shown; an
    // exemption unticked is none, though its date box still shows a date.
    void statutoryDetailsAreStored_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<Statutory>("before"); // stored and shown (an entry starts with none)
        QTest::addColumn<Statutory>("after");  // typed and ticked, then saved
        const QString uan = QStringLiteral("100234567890");
        const QString esi = QStringLiteral("3112345678");
        const bank::Details account{bank::PayMode::Transfer, "R PATEL", "00123456789", "HDFC0001234", "HDFC BANK"};
        QTest::newRow("entered") << false << Statutory{} << Statutory{uan, esi, {QDate(), QDate(), QDate(2025, 4, 1)}, account};
        QTest::newRow("edited: ESI exemption lifted, PF one given, ESI number dropped, paid by cheque")
            << true << Statutory{uan, esi, {QDate(), QDate(2024, 1, 1), QDate(2025, 4, 1)}, account}
            << Statutory{QStringLiteral("100234567891"), QString(), {QDate(2026, 1, 1), QDate(), QDate(2025, 4, 1)},
                         {bank::PayMode::Cheque, {}, {}, {}, {}}};
    }
    void statutoryDetailsAreStored()
    {
        QFETCH(bool, edit);
        QFETCH(Statutory, before);
        QFETCH(Statutory, after);
        if (edit) {
            Employee e = employee(QStringLiteral("RAMESH PATEL"), "100");
            e.pfNumber = before.uan;
            e.esiNumber = before.esi;
            e.exemptions = before.from;
            e.bank = before.bank;
            openEdit(e);
        } else {
            openEntry();
            m_f->click("cmdAdd");
            fillEntry("RAMESH", "", "PATEL");
        }
        QCOMPARE(m_f->text("txtPFNo"), before.uan);
        QCOMPARE(m_f->text("txtESINo"), before.esi);
        QCOMPARE(m_f->text("txtAccountNo") + "|" + m_f->text("txtBranchCode") + "|" + m_f->text("txtAccountHolder") + "|" +
                     m_f->text("txtBankName") + "|" + m_f->control<QComboBox>("cboPayMode")->currentText(),
                 before.bank.account + "|" + before.bank.branchCode + "|" + before.bank.holder + "|" +
                     before.bank.bankName + "|" + bank::modeCaption(before.bank.mode));
        for (qsizetype i = 0; i < exemptionKinds.size(); ++i) {
            const QDate from = exemptionDates(before.from).at(i);
            QCOMPARE(exemptBox(i)->isChecked(), from.isValid());
            QCOMPARE(exemptDate(i)->isEnabled(), from.isValid()); // a date only beside a ticked box
            if (from.isValid())
                QCOMPARE(exemptDate(i)->date(), from);
        }

        m_f->type("txtPFNo", after.uan);
        m_f->type("txtESINo", after.esi);
        m_f->control<QComboBox>("cboPayMode")->setCurrentText(bank::modeCaption(after.bank.mode));
        m_f->type("txtAccountHolder", after.bank.holder);
        m_f->type("txtAccountNo", after.bank.account);
        // Typed in small letters, stored in capitals.
        m_f->type("txtBranchCode", after.bank.branchCode.toLower());
        m_f->type("txtBankName", after.bank.bankName);
        for (qsizetype i = 0; i < exemptionKinds.size(); ++i) {
            const QDate from = exemptionDates(after.from).at(i);
            if (exemptBox(i)->isChecked() != from.isValid())
                exemptBox(i)->click();
            QCOMPARE(exemptDate(i)->isEnabled(), from.isValid());
            if (from.isValid())
                exemptDate(i)->setDate(from);
        }
        m_f->click("cmdSave");
        const auto stored = EmployeeRepository(m_f->db()).find(1).value();
        QVERIFY2(stored, qPrintable(m_f->prompter.lastText()));
        QCOMPARE(stored->pfNumber, after.uan);
        QCOMPARE(stored->esiNumber, after.esi);
        QCOMPARE(stored->exemptions.pfFrom, after.from.pfFrom);
        QCOMPARE(stored->exemptions.esiFrom, after.from.esiFrom);
        QCOMPARE(stored->exemptions.ptFrom, after.from.ptFrom);
        QCOMPARE(stored->bank.mode, after.bank.mode);
        QCOMPARE(QStringList({stored->bank.holder, stored->bank.account, stored->bank.branchCode, stored->bank.bankName}),
                 QStringList({after.bank.holder, after.bank.account, after.bank.branchCode, after.bank.bankName}));
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

    // A picture file that is gone leaves the picture empty, and nothing is said.
    void editWithoutItsPicture()
    {
        Employee e = employee(QStringLiteral("RAMESH PATEL"), "100");
        e.photo = QStringLiteral("/nowhere/p.jpg");
        openEdit(e);
        QVERIFY(m_f->control<QLabel>("Image1")->pixmap().isNull());
        QCOMPARE(m_f->text("Text14"), e.photo);
        QVERIFY(m_f->prompter.entries().isEmpty());
    }

    void editOfAnEmployeeDeletedMeanwhile()
    {
        openEdit(employee(QStringLiteral("RAMESH PATEL"), "100"));
        QVERIFY(EmployeeRepository(m_f->db()).remove(1));
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("There is no employee number 1."));
        QVERIFY(button("cmdSave")->isEnabled());
    }

    void emptyListOffersOnlyClose()
    {
        m_f->open<EmployeeListWindow>();
        for (const char* name : {"cmdEdit", "cmdDelete", "cmdPrintSel", "cmdPrintAll"})
            QVERIFY2(!button(name)->isEnabled(), name);
        QVERIFY(button("cmdClose")->isEnabled());
    }

    void listDeletesOnlyOnYes()
    {
        addThree();
        m_f->open<EmployeeListWindow>();
        selectRows({1});
        m_f->click("cmdDelete");
        QCOMPARE(m_f->prompter.last().title, QStringLiteral("Confirm Delete"));
        QCOMPARE(m_f->prompter.last().defaultButton, Prompter::Default::No);
        QCOMPARE(listed(1), (QStringList{"RAMESH PATEL", "SUNITA SHARMA", "ANTHONY D'SOUZA"}));
        m_f->prompter.answer(true);
        m_f->click("cmdDelete");
        QCOMPARE(listed(1), (QStringList{"RAMESH PATEL", "ANTHONY D'SOUZA"}));
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Record deleted."));
        QCOMPARE(m_f->database().count("SELECT count(*) FROM emp WHERE ID = 2"), 0);
    }

    void listSortsAndFilters()
    {
        addThree();
        m_f->open<EmployeeListWindow>();
        QCOMPARE(listed(0), (QStringList{"1", "2", "3"}));
        auto* header = m_f->control<QTableView>("lvlEmpInfo")->horizontalHeader();
        // Basic rates sort as numbers: 9000 before 12500.
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(8) + 5, 5));
        QCOMPARE(listed(8), (QStringList{"9000", "12500", "41000"}));
        m_f->type("txtFilter", "suni", false);
        QCOMPARE(listed(1), (QStringList{"SUNITA SHARMA"}));
        m_f->type("txtFilter", "3", false);
        QCOMPARE(listed(1), (QStringList{"ANTHONY D'SOUZA"}));
        m_f->type("txtFilter", "", false);
        QCOMPARE(listed(0).size(), 3);
    }

    // Rows are mapped through the sorted list: the employee deleted is the one shown first.
    void listActsOnTheRowShown()
    {
        addThree();
        m_f->open<EmployeeListWindow>();
        m_f->control<QTableView>("lvlEmpInfo")->sortByColumn(8, Qt::AscendingOrder);
        selectRows({0});
        m_f->prompter.answer(true);
        m_f->click("cmdDelete");
        QCOMPARE(m_f->database().count("SELECT count(*) FROM emp WHERE ID = 2"), 0);
        QCOMPARE(m_f->database().count("SELECT count(*) FROM emp"), 2);
    }

    void listEditsAndShowsTheUpdate()
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
        QVERIFY(button("cmdEdit")->isEnabled()); // the employee stays selected
    }

    void listPrintsTheChosenEmployees()
    {
        addThree();
        auto* list = m_f->open<EmployeeListWindow>();
        selectRows({0, 2});
        m_f->click("cmdPrintSel");
        QCOMPARE(list->findChildren<ReportViewer*>().last()->document().rowCount(), 2);
        m_f->click("cmdPrintAll");
        const report::Document& all = list->findChildren<ReportViewer*>().last()->document();
        QCOMPARE(all.rowCount(), 3);
        QCOMPARE(all.name, QStringLiteral("drtSel_emp_info"));
    }

    void withoutACameraStartIsOff()
    {
        openEntry({});
        auto* devices = m_f->control<QListWidget>("lstDevices");
        QCOMPARE(devices->count(), 1);
        QCOMPARE(devices->item(0)->text(), QStringLiteral("No Device Available"));
        QVERIFY(!button("cmdStart")->isEnabled());
    }

    // A frame saved as .jpg is a JPEG file, and its path is what the employee's row keeps.
    void photographFromTheCamera()
    {
        auto camera = std::make_unique<FakeCamera>(QStringList{"Front camera", "USB camera"});
        FakeCamera* fake = camera.get();
        m_f->open<EmployeeEntryWindow>(nullptr, std::move(camera));
        auto* devices = m_f->control<QListWidget>("lstDevices");
        QCOMPARE(devices->count(), 2);
        QCOMPARE(devices->currentRow(), 0);
        // The path box looks as it is: grey while it cannot be typed into, white once it can.
        const auto base = [&] { return m_f->control<QLineEdit>("Text14")->palette().color(QPalette::Base); };
        QCOMPARE(base(), QColor(224, 224, 224));
        m_f->click("cmdAdd");
        QCOMPARE(base(), QColor(Qt::white));
        fillEntry("RAMESH", "K", "PATEL");
        m_f->click("cmdStart");
        QVERIFY(!button("cmdStart")->isEnabled() && button("cmdStop")->isEnabled());
        fake->send(frame());
        QVERIFY(!m_f->control<QLabel>("Image1")->pixmap().isNull());
        QTemporaryDir dir;
        m_f->prompter.answerFile(dir.filePath("photo.jpg"));
        m_f->click("Command1");
        // The dialog suggested a name of this employee's, with its type.
        QCOMPARE(QFileInfo(m_f->prompter.suggestedPath()).fileName(), QStringLiteral("1.bmp"));
        QFile file(dir.filePath("photo.jpg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(3), QByteArray("\xFF\xD8\xFF"));
        file.close();
        QCOMPARE(m_f->text("Text14"), dir.filePath("photo.jpg"));
        QVERIFY(button("cmdStart")->isEnabled() && !button("cmdStop")->isEnabled());
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
    void checks_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("typed"); // typed into the field; none: the field is left blank
        // clang-format off
        QTest::newRow("name") << "txtFName" << "Please enter First Name." << QString();
        QTest::newRow("gender") << "cboGender" << "Please Select Gender." << QString();
        QTest::newRow("status") << "cboStat" << "Please Select Status." << QString();
        QTest::newRow("address") << "txtAddress" << "Please enter Employee's Address." << QString();
        QTest::newRow("position") << "txtPosition" << "Please enter Employee's Position." << QString();
        QTest::newRow("employment status") << "cboEmpStat" << "Please Select Employee's Status." << QString();
        QTest::newRow("basic rate") << "txtBasicRate" << "Please enter Employee's Basic Salary Rate." << QString();
        QTest::newRow("UAN a digit short") << "txtPFNo"
            << "The provident fund account number (UAN) must be 12 digits (it is \"12345678901\")." << "12345678901";
        QTest::newRow("branch code without its zero") << "txtBranchCode"
            << "The branch code must be four letters, a zero and six letters or digits, like SBIN0001234 (it is \"SBIN1234567\")." << "sbin1234567";
        // clang-format on
    }

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
