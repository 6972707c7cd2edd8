// Ofertix: start-up. Creates the file selection window as the main window and runs the event
// loop; closing that window or its exit command ends the program.
//
// ofertix ARQUIVO starts with the window's path filled in with ARQUIVO (a file manager opens a
// proposal this way); without it nothing changes. ofertix --version prints the version.
//
// OFX_STARTUP_PROBE=1 (for the start-up benchmark): once the first window has been shown and
// painted, print "ofertix: janela exibida" on standard output and leave.
#include "forms/InformaCaminho.h"
#include "resources/resources.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>

namespace {

class StartupProbe : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && !fired_) {
            fired_ = true;
            // Queued: the exposed window paints first.
            QTimer::singleShot(0, [] {
                std::fputs("ofertix: janela exibida\n", stdout);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool fired_ = false;
};

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("ofertix " OFX_VERSION "\n", stdout);
            return 0;
        }
    QApplication app(argc, argv);
    QApplication::setApplicationName(ofx::resources::programName());
    QApplication::setApplicationVersion(QStringLiteral(OFX_VERSION));
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    ofx::resources::installQtTranslations(app);
    QApplication::setFont(ofx::resources::programFont());
    QApplication::setWindowIcon(ofx::resources::programIcon());

    // The main window is a top-level window of its own, so the taskbar shows it.
    QPointer<ofx::forms::TFInformaCaminho> main = new ofx::forms::TFInformaCaminho;
    // Qt has taken its own options out of the arguments by now.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        main->edtCaminho->setText(QFileInfo(arguments.at(1)).absoluteFilePath());
    StartupProbe probe;
    const bool probing = qEnvironmentVariableIntValue("OFX_STARTUP_PROBE") == 1;
    main->show();
    if (probing && main->windowHandle())
        main->windowHandle()->installEventFilter(&probe);

    const int result = QApplication::exec();
    delete main.data();  // still there when the loop ended by the exit command
    return result;
}
