#include "resources/resources.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTranslator>

#include <array>
#include <optional>

namespace ofx::resources {

namespace {

// All icon drawings use a 32 x 32 unit square; smaller or larger pixmaps scale the painter.
using Draw = void (*)(QPainter&);

const QColor navBlue(0x1F, 0x5F, 0xBF);
const QColor navBlueLight(0x6F, 0xA8, 0xF0);
const QColor green(0x2E, 0x9E, 0x3A);
const QColor red(0xD4, 0x24, 0x24);
const QColor outline(0x40, 0x40, 0x40);

QBrush verticalGradient(QColor top, QColor bottom, qreal y0 = 0, qreal y1 = 32)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void triangle(QPainter& p, bool pointsLeft, qreal left, qreal right)
{
    QPainterPath path;
    if (pointsLeft) {
        path.moveTo(left, 16);
        path.lineTo(right, 5);
        path.lineTo(right, 27);
    } else {
        path.moveTo(right, 16);
        path.lineTo(left, 5);
        path.lineTo(left, 27);
    }
    path.closeSubpath();
    p.setPen(QPen(navBlue.darker(140), 1.2));
    p.setBrush(verticalGradient(navBlueLight, navBlue, 5, 27));
    p.drawPath(path);
}

void bar(QPainter& p, qreal x)
{
    p.setPen(QPen(navBlue.darker(140), 1.2));
    p.setBrush(verticalGradient(navBlueLight, navBlue, 5, 27));
    p.drawRect(QRectF(x, 5, 4, 22));
}

void page(QPainter& p)
{
    QPainterPath path;
    path.moveTo(6, 2);
    path.lineTo(20, 2);
    path.lineTo(26, 8);
    path.lineTo(26, 30);
    path.lineTo(6, 30);
    path.closeSubpath();
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setBrush(QColor(0xDD, 0xDD, 0xDD));
    p.drawPolygon(QPolygonF({QPointF(20, 2), QPointF(20, 8), QPointF(26, 8)}));
    p.setPen(QPen(QColor(0xB0, 0xC4, 0xDE), 1.5));
    for (int y = 12; y <= 24; y += 4)
        p.drawLine(QPointF(10, y), QPointF(21, y));
}

void plusSign(QPainter& p, QPointF c, qreal r, QColor colour)
{
    p.setPen(QPen(colour.darker(130), 1));
    p.setBrush(colour);
    const qreal t = r / 2.6;
    QPainterPath path;
    path.addRect(QRectF(c.x() - r, c.y() - t, 2 * r, 2 * t));
    path.addRect(QRectF(c.x() - t, c.y() - r, 2 * t, 2 * r));
    p.drawPath(path.simplified());
}

void crossLines(QPainter& p, QRectF r, QColor colour, qreal width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void printer(QPainter& p, bool picture)
{
    // Paper coming out on top, the body, the tray.
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 12));
    if (picture) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x7E, 0xC8, 0xF0));
        p.drawRect(QRectF(10.5, 4.5, 11, 9));
        p.setBrush(QColor(0x3A, 0x9A, 0x3A));
        p.drawPolygon(QPolygonF({QPointF(10.5, 13.5), QPointF(15, 8), QPointF(21.5, 13.5)}));
        p.setBrush(QColor(0xF5, 0xC2, 0x1B));
        p.drawEllipse(QPointF(19, 6.8), 1.6, 1.6);
    } else {
        p.setPen(QPen(QColor(0x99, 0x99, 0x99), 1));
        p.drawLine(QPointF(11, 7), QPointF(21, 7));
        p.drawLine(QPointF(11, 10), QPointF(21, 10));
    }
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1));
    p.setBrush(verticalGradient(QColor(0xC8, 0xC8, 0xC8), QColor(0x78, 0x78, 0x78), 14, 25));
    p.drawRoundedRect(QRectF(3, 14, 26, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 22, 16, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3C, 0xD0, 0x3C));
    p.drawEllipse(QPointF(25, 17.5), 1.3, 1.3);
}

void drawFirst(QPainter& p) { bar(p, 5); triangle(p, true, 10, 26); }
void drawPrior(QPainter& p) { triangle(p, true, 8, 24); }
void drawNext(QPainter& p) { triangle(p, false, 8, 24); }
void drawLast(QPainter& p) { triangle(p, false, 6, 22); bar(p, 23); }

void drawNew(QPainter& p)
{
    page(p);
    plusSign(p, QPointF(23, 23), 7, green);
}

void drawDelete(QPainter& p)
{
    page(p);
    p.setPen(QPen(red.darker(130), 1));
    p.setBrush(red);
    p.drawRect(QRectF(15, 20.5, 15, 5));
}

void drawEdit(QPainter& p)
{
    page(p);
    p.save();
    p.translate(21, 19);
    p.rotate(45);
    p.setPen(QPen(QColor(0x50, 0x40, 0x10), 0.8));
    p.setBrush(QColor(0xF5, 0xC2, 0x1B));
    p.drawRect(QRectF(-3, -13, 6, 18));
    p.setBrush(QColor(0xE8, 0x9A, 0x9A));
    p.drawRect(QRectF(-3, -15, 6, 3));
    p.setBrush(QColor(0xF0, 0xD8, 0xB0));
    p.drawPolygon(QPolygonF({QPointF(-3, 5), QPointF(3, 5), QPointF(0, 11)}));
    p.restore();
}

void drawFloppy(QPainter& p)
{
    QPainterPath body;
    body.moveTo(3, 3);
    body.lineTo(26, 3);
    body.lineTo(29, 6);
    body.lineTo(29, 29);
    body.lineTo(3, 29);
    body.closeSubpath();
    p.setPen(QPen(QColor(0x10, 0x20, 0x50), 1));
    p.setBrush(verticalGradient(QColor(0x3A, 0x5C, 0xB0), QColor(0x1A, 0x2E, 0x70)));
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(verticalGradient(QColor(0xF0, 0xF0, 0xF0), QColor(0xB8, 0xB8, 0xB8), 3, 13));
    p.drawRect(QRectF(9, 3.5, 14, 9));
    p.setBrush(QColor(0x1A, 0x2E, 0x70));
    p.drawRect(QRectF(18, 5, 3, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 17, 18, 12));
    p.setPen(QPen(QColor(0xC0, 0x30, 0x30), 1));
    p.drawLine(QPointF(9, 20), QPointF(23, 20));
    p.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 1));
    p.drawLine(QPointF(9, 23.5), QPointF(23, 23.5));
    p.drawLine(QPointF(9, 26.5), QPointF(23, 26.5));
}

void drawCancel(QPainter& p)
{
    crossLines(p, QRectF(7, 7, 18, 18), red.darker(140), 7);
    crossLines(p, QRectF(7, 7, 18, 18), red, 5);
}

void drawBinoculars(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(verticalGradient(QColor(0x60, 0x60, 0x60), QColor(0x20, 0x20, 0x20)));
    p.drawRoundedRect(QRectF(4, 8, 10, 14), 3, 3);
    p.drawRoundedRect(QRectF(18, 8, 10, 14), 3, 3);
    p.drawRect(QRectF(13, 11, 6, 6));
    for (qreal cx : {9.0, 23.0}) {
        p.setBrush(verticalGradient(QColor(0x60, 0x60, 0x60), QColor(0x20, 0x20, 0x20), 18, 30));
        p.drawEllipse(QPointF(cx, 23), 6, 6);
        QRadialGradient lens(QPointF(cx - 1.5, 21.5), 5);
        lens.setColorAt(0, QColor(0xCF, 0xEB, 0xFF));
        lens.setColorAt(1, QColor(0x30, 0x70, 0xC0));
        p.setBrush(lens);
        p.drawEllipse(QPointF(cx, 23), 4.2, 4.2);
    }
}

void drawPrinterPicture(QPainter& p) { printer(p, true); }
void drawPrinter(QPainter& p) { printer(p, false); }

void drawFunnel(QPainter& p)
{
    QPainterPath f;
    f.moveTo(3, 4);
    f.lineTo(25, 4);
    f.lineTo(17, 15);
    f.lineTo(17, 27);
    f.lineTo(11, 23);
    f.lineTo(11, 15);
    f.closeSubpath();
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.setBrush(verticalGradient(QColor(0xA8, 0xC8, 0xF0), QColor(0x40, 0x70, 0xB0), 4, 27));
    p.drawPath(f);
    crossLines(p, QRectF(20, 18, 9, 9), red, 3);
}

void drawCloseBox(QPainter& p)
{
    p.setPen(QPen(red.darker(160), 1));
    p.setBrush(verticalGradient(QColor(0xF0, 0x60, 0x50), QColor(0xB0, 0x10, 0x10), 3, 29));
    p.drawRoundedRect(QRectF(3, 3, 26, 26), 4, 4);
    crossLines(p, QRectF(10, 10, 12, 12), Qt::white, 3.5);
}

void drawPower(QPainter& p)
{
    QRadialGradient g(QPointF(13, 12), 16);
    g.setColorAt(0, QColor(0xF8, 0x70, 0x60));
    g.setColorAt(1, QColor(0xA8, 0x10, 0x10));
    p.setPen(QPen(red.darker(170), 1));
    p.setBrush(g);
    p.drawEllipse(QPointF(16, 16), 13, 13);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 9.5, 14, 14), 120 * 16, -240 * 16);
    p.drawLine(QPointF(16, 7), QPointF(16, 15));
}

void drawClipboard(QPainter& p)
{
    p.setPen(QPen(QColor(0x60, 0x40, 0x20), 1));
    p.setBrush(verticalGradient(QColor(0xC8, 0x90, 0x50), QColor(0x90, 0x60, 0x30)));
    p.drawRoundedRect(QRectF(5, 4, 22, 26), 2, 2);
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 8, 16, 19));
    p.setPen(QPen(QColor(0xB0, 0xC4, 0xDE), 1.5));
    for (int y = 13; y <= 23; y += 4)
        p.drawLine(QPointF(11, y), QPointF(21, y));
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    p.setBrush(verticalGradient(QColor(0xE0, 0xE0, 0xE0), QColor(0x90, 0x90, 0x90), 2, 8));
    p.drawRoundedRect(QRectF(11, 2, 10, 6), 1.5, 1.5);
}

void drawImport(QPainter& p)
{
    QPainterPath tick;
    tick.moveTo(2, 15);
    tick.lineTo(8, 10);
    tick.lineTo(13, 16);
    tick.lineTo(25, 3);
    tick.lineTo(30, 8);
    tick.lineTo(13, 26);
    tick.closeSubpath();
    p.setPen(QPen(green.darker(150), 1));
    p.setBrush(verticalGradient(QColor(0x6C, 0xD8, 0x64), green.darker(110), 3, 26));
    p.drawPath(tick);
    plusSign(p, QPointF(24.5, 24.5), 6, QColor(0x20, 0x80, 0x28));
}

void drawFolder(QPainter& p)
{
    p.setPen(QPen(QColor(0x90, 0x68, 0x10), 1));
    p.setBrush(verticalGradient(QColor(0xF0, 0xC8, 0x50), QColor(0xD0, 0x98, 0x20)));
    QPainterPath back;
    back.moveTo(2, 7);
    back.lineTo(11, 7);
    back.lineTo(14, 10);
    back.lineTo(27, 10);
    back.lineTo(27, 27);
    back.lineTo(2, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 1));
    p.drawRect(QRectF(6, 12, 18, 10));
    QPainterPath front;
    front.moveTo(7, 15);
    front.lineTo(31, 15);
    front.lineTo(26, 27);
    front.lineTo(2, 27);
    front.closeSubpath();
    p.setPen(QPen(QColor(0x90, 0x68, 0x10), 1));
    p.setBrush(verticalGradient(QColor(0xFF, 0xE0, 0x80), QColor(0xE8, 0xB0, 0x30), 15, 27));
    p.drawPath(front);
}

constexpr std::array<Draw, cadastroImageCount> drawings = {
    drawFirst,   drawPrior,       drawNext,   drawLast,     drawNew,      drawDelete,
    drawEdit,    drawFloppy,      drawCancel, drawBinoculars, drawPrinterPicture, drawFunnel,
    drawCloseBox, drawPrinter,    drawPower,  drawClipboard, drawImport,  drawFolder,
};

QImage render(Draw draw, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    return image;
}

// The logo: a blue rounded square holding a white proposal sheet, with an orange seal carrying
// a white tick (a proposal checked and sent).
void drawLogo(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(verticalGradient(QColor(0x2F, 0x7B, 0xD6), QColor(0x14, 0x3F, 0x8A)));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);
    QPainterPath sheet;
    sheet.moveTo(8, 5);
    sheet.lineTo(19, 5);
    sheet.lineTo(24, 10);
    sheet.lineTo(24, 27);
    sheet.lineTo(8, 27);
    sheet.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setPen(QPen(QColor(0x9D, 0xB9, 0xE0), 1.6));
    for (qreal y : {11.0, 15.0, 19.0})
        p.drawLine(QPointF(11, y), QPointF(20, y));
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(QColor(0xF5, 0x8A, 0x1F));
    p.drawEllipse(QPointF(22.5, 22.5), 6.5, 6.5);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(19.3, 22.6), QPointF(21.8, 25), QPointF(26, 20.2)}));
}

QImage banner(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient back(0, 0, width, 0);
    back.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    back.setColorAt(0.55, QColor(0xE6, 0xEF, 0xFA));
    back.setColorAt(1, QColor(0x9C, 0xBE, 0xE8));
    p.fillRect(image.rect(), back);
    // A band of lighter stripes on the right, and an orange rule along the bottom.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(QColor(255, 255, 255, 40 + i * 10));
        const qreal x = width - height * (2.2 - i * 0.3);
        p.drawPolygon(QPolygonF({QPointF(x, height), QPointF(x + height * 0.6, 0),
                                 QPointF(x + height * 0.75, 0), QPointF(x + height * 0.15, height)}));
    }
    p.fillRect(QRectF(0, height - 4, width, 4), QColor(0xF5, 0x8A, 0x1F));

    const qreal logo = height * 0.72;
    const qreal margin = (height - 4 - logo) / 2;
    p.save();
    p.translate(margin + 4, margin);
    p.scale(logo / 32.0, logo / 32.0);
    drawLogo(p);
    p.restore();

    const qreal textLeft = margin * 2 + 4 + logo;
    QFont name(QStringLiteral("DejaVu Sans"));
    name.setBold(true);
    name.setPixelSize(int(height * 0.42));
    p.setFont(name);
    p.setPen(QColor(0x14, 0x3F, 0x8A));
    const QRectF nameRect(textLeft, margin - height * 0.04, width - textLeft, height * 0.5);
    p.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter, programName());
    QFont tagline(QStringLiteral("DejaVu Sans"));
    tagline.setPixelSize(qMax(10, int(height * 0.15)));
    p.setFont(tagline);
    p.setPen(QColor(0x40, 0x50, 0x68));
    p.drawText(QRectF(textLeft + 2, margin + height * 0.46, width - textLeft, height * 0.22),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Propostas de preços para licitações públicas"));
    p.end();
    return image;
}

}  // namespace

// Pictures are cached as images, not pixmaps: a static pixmap would outlive the application
// object, which pixmaps must not.
QPixmap cadastroImage(int index)
{
    if (index < 0 || index >= cadastroImageCount)
        return {};
    static std::array<std::optional<QImage>, cadastroImageCount> cache;
    auto& slot = cache[std::size_t(index)];
    if (!slot)
        slot = render(drawings[std::size_t(index)], 32);
    return QPixmap::fromImage(*slot);
}

QPixmap propostaImage(int index)
{
    return index >= 0 && index < propostaImageCount ? cadastroImage(index) : QPixmap();
}

QImage programIconImage(int size)
{
    return render(drawLogo, size);
}

QIcon programIcon()
{
    static const std::array<QImage, 3> images = {render(drawLogo, 16), render(drawLogo, 32),
                                                 render(drawLogo, 48)};
    QIcon icon;
    for (const QImage& image : images)
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

QPixmap entryBanner()
{
    static const QImage image = banner(846, 108);
    return QPixmap::fromImage(image);
}

QPixmap fileSelectionBanner()
{
    static const QImage image = banner(639, 71);
    return QPixmap::fromImage(image);
}

QString programName()
{
    return QStringLiteral("Ofertix");
}

QString copyrightNotice()
{
    return QStringLiteral("© Ofertix Sistemas — todos os direitos reservados");
}

QString versionText()
{
    return QStringLiteral("Versão " OFX_VERSION);
}

QFont programFont()
{
    static const QFont font = [] {
        const QStringList families = QFontDatabase::families();
        QString family = QStringLiteral("Sans Serif");
        for (const char* candidate : {"Tahoma", "Liberation Sans", "DejaVu Sans"}) {
            if (families.contains(QLatin1String(candidate), Qt::CaseInsensitive)) {
                family = QLatin1String(candidate);
                break;
            }
        }
        QFont f(family);
        f.setPointSize(8);
        return f;
    }();
    return font;
}

bool installQtTranslations(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace ofx::resources
