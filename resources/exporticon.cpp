// ofx-exporticon FOLDER: writes the program's icon as FOLDER/SIZExSIZE/apps/ofertix.png for the
// sizes of the desktop's hicolor icon theme (the package installs them).
#include "resources/resources.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("Uso: ofx-exporticon PASTA\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = folder + QStringLiteral("/ofertix.png");
        if (!QDir().mkpath(folder) || !ofx::resources::programIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "ofx-exporticon: não foi possível gravar %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
