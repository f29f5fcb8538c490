// Draws the software centres' screenshot of the payroll window with the program's own windows on
// Qt's offscreen platform, so that it can be taken again on any machine, without a screen, whenever
// the window changes: the demo company on 7 December 2026, November's payroll, employee 3 with 26
// days present and a bonus of 500.
//
//     kestrel-screenshot OUTPUT.png
#include "app/demo_data.h"
#include "app/program_windows.h"
#include "data/safe_file.h"
#include "shell/main_window.h"
#include "support/window_fixture.h"
#include "ui/window_catalogue.h"

#include <QApplication>
#include <QBuffer>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QTextStream>

namespace {

// Types into a box of the window as the operator would, ending with Enter.
void type(QWidget* window, const char* name, const QString& text)
{
    auto* box = window->findChild<QWidget*>(QString::fromLatin1(name));
    auto* edit = box ? box->findChild<QLineEdit*>() : nullptr;
    if (auto* own = qobject_cast<QLineEdit*>(box))
        edit = own;
    if (!edit)
        qFatal("the payroll window has no box %s", name);
    box->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: kestrel-screenshot OUTPUT.png\n";
        return 2;
    }
    WindowFixture office(QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
    if (Status filled = ensureDemoData(office.db(), office.clock); !filled) {
        err << "The demo database cannot be prepared: " << filled.error() << '\n';
        return 1;
    }
    office.session = Session{QStringLiteral("SHREE GANESH TEXTILES"), QStringLiteral("admin"), QStringLiteral("Admin"), 1};
    WindowCatalogue catalogue;
    addProgramWindows(catalogue);
    MainWindow main(office.context, catalogue);
    main.resize(1280, 800);
    WindowFixture::showActive(&main);
    QWidget* payroll = main.openWindow(QStringLiteral("Form2"));
    if (!payroll)
        qFatal("the payroll window did not open");
    payroll->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(QDate(2026, 11, 30));
    type(payroll, "cboEmpID", QStringLiteral("3"));
    type(payroll, "txtNumDays", QStringLiteral("26"));
    type(payroll, "txtBonus", QStringLiteral("500"));
    QTest::qWait(50);
    // A picture of an empty entry would pass unnoticed: the figures must have been worked out.
    if (payroll->findChild<QLabel*>(QStringLiteral("lblNetPay"))->text().isEmpty()) {
        err << "The payroll window worked out no net pay for employee 3.\n";
        return 1;
    }
    // The startup backup names this run's throwaway folder, which would mean nothing on a software centre's page.
    main.statusBar()->clearMessage();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!main.grab().toImage().save(&buffer, "PNG")) {
        err << "The picture cannot be made.\n";
        return 1;
    }
    if (Status written = writeFileSafely(QString::fromLocal8Bit(argv[1]), png, FileAccess::AsUmask); !written) {
        err << written.error() << '\n';
        return 1;
    }
    return 0;
}
