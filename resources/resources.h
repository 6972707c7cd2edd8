#pragma once
// The program's pictures, texts of the maker, font and the loading of Qt's own translations.
// Every picture is drawn in code on first use (no binary files) and then kept.
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

class QCoreApplication;

namespace ofx::resources {

// The window base's image list: 18 images of 32 x 32 px with alpha, by index:
//  0 bar and left triangle (first)     1 left triangle (previous)   2 right triangle (next)
//  3 right triangle and bar (last)     4 page with a green plus     5 page with a red minus
//  6 page with a pencil                7 floppy disk                8 red diagonal cross
//  9 binoculars                       10 printer with a picture    11 funnel with a red cross
// 12 red square with a white cross    13 printer                   14 red power button
// 15 clipboard with a sheet           16 green tick with a plus    17 open folder
inline constexpr int cadastroImageCount = 18;
QPixmap cadastroImage(int index);  // null pixmap outside 0..17

// The proposal entry window's own image list: 16 images of 32 x 32 px, the same pictures as the
// first 16 above (0-3 arrows, 7 floppy, 12 red box with a white cross, 13 printer...).
inline constexpr int propostaImageCount = 16;
QPixmap propostaImage(int index);

// The program's icon, with 16, 32 and 48 px images.
QIcon programIcon();
// The icon's picture at size x size px (the desktop's icon theme gets it at several sizes).
QImage programIconImage(int size);

// Header banners with the logo and the program's name.
QPixmap entryBanner();          // 846 x 108, the proposal entry window
QPixmap fileSelectionBanner();  // 639 x 71, the file selection window

QString programName();      // "Ofertix"
QString copyrightNotice();  // "© Ofertix Sistemas — todos os direitos reservados"
QString versionText();      // "Versão 5.8.0.3": the project's VERSION in CMakeLists.txt

// Tahoma 8 pt when the machine has it, else the closest sans-serif at hand (Liberation Sans,
// DejaVu Sans) at 8 pt.
QFont programFont();

// Loads Qt's Brazilian Portuguese texts (qtbase_pt_BR from Qt's translations folder) into the
// application, for Qt's own dialogs (file, print, page setup). False when the file is missing.
bool installQtTranslations(QCoreApplication& app);

}  // namespace ofx::resources
