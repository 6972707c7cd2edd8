#include "reportengine/output.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTransform>

#include <algorithm>

#if OFX_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace ofx::reportengine {

void paintPageOnDevice(const Document& doc, int index, QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    painter.save();
    painter.scale(device->logicalDpiX() / 25.4, device->logicalDpiY() / 25.4);
    doc.paintPage(index, painter);
    painter.restore();
}

namespace {

QPageLayout fullPage(const Document& doc)
{
    QPageLayout layout = doc.pageLayout();
    layout.setMinimumMargins(QMarginsF());
    layout.setMargins(QMarginsF());
    return layout;
}

// Pages first..last (0-based) onto a device that begins its first page itself.
OutputResult paintPages(const Document& doc, QPainter& painter, int first, int last,
                        const std::function<bool()>& newPage, const Progress& progress)
{
    const int total = last - first + 1;
    for (int i = first; i <= last; ++i) {
        if (progress && !progress(i - first, total))
            return {false, true, {}};
        if (i > first && !newPage())
            return {false, false, QStringLiteral("Não foi possível começar uma nova página.")};
        paintPageOnDevice(doc, i, painter);
    }
    if (progress)
        progress(total, total);
    return {true, false, {}};
}

// Qt hands the finished job to CUPS when the painter ends, without telling how that went; the
// answer stays as CUPS's last status of this thread. Empty when the job was accepted.
QString printingSystemRefusal()
{
#if OFX_HAVE_CUPS
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        return QString::fromUtf8(cupsLastErrorString());
#endif
    return {};
}

}  // namespace

OutputResult writePdf(const Document& doc, const QString& path, const Progress& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, false,
                QStringLiteral("Não foi possível criar o arquivo \"%1\": %2")
                    .arg(path, file.errorString())};
    OutputResult result;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(fullPage(doc));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return {false, false, QStringLiteral("Não foi possível gerar o PDF \"%1\".").arg(path)};
        }
        result = paintPages(doc, painter, 0, doc.pageCount() - 1,
                            [&] { return writer.newPage(); }, progress);
        painter.end();
    }
    if (!result.ok) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        return {false, false,
                QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2")
                    .arg(path, file.errorString())};
    return result;
}

namespace {

// The device's paper in the document's size and orientation, and where the document's pages go
// on it (painter units: mm from the device's origin). First the full page without margins, as
// for a PDF; a printer that cannot print up to the paper's edges refuses that layout, and then
// gets its own smallest margins: the pages keep their place on the paper when those margins fit
// inside the document's own, else the document's printed area is scaled down into the printable
// area, centred. Empty error when the printer takes the paper.
QString setUpPaper(const Document& doc, QPrinter& printer, QTransform& placement)
{
    const QPageLayout wanted = doc.pageLayout();
    placement = QTransform();
    printer.setFullPage(true);
    if (printer.setPageLayout(fullPage(doc)))
        return {};

    printer.setFullPage(false);
    printer.setPageSize(wanted.pageSize());
    printer.setPageOrientation(wanted.orientation());
    printer.setPageMargins(printer.pageLayout().minimumMargins(), printer.pageLayout().units());
    const QPageLayout got = printer.pageLayout();
    if (!got.pageSize().isEquivalentTo(wanted.pageSize()) || got.orientation() != wanted.orientation())
        return QStringLiteral("A impressora \"%1\" não aceita o papel %2 %3.")
            .arg(printer.printerName(), wanted.pageSize().name(),
                 wanted.orientation() == QPageLayout::Landscape ? QStringLiteral("em paisagem")
                                                                : QStringLiteral("em retrato"));

    const QRectF printable = got.paintRect(QPageLayout::Millimeter);  // on the paper
    const QRectF content = wanted.paintRect(QPageLayout::Millimeter);
    placement.translate(-printable.left(), -printable.top());
    if (printable.contains(content))
        return {};
    const double scale = std::min(printable.width() / content.width(),
                                  printable.height() / content.height());
    const QSizeF size = content.size() * scale;
    // QTransform's steps apply to a point last to first: the printed area to the origin, scaled,
    // then centred.
    placement = QTransform()
                    .translate((printable.width() - size.width()) / 2,
                               (printable.height() - size.height()) / 2)
                    .scale(scale, scale)
                    .translate(-content.left(), -content.top());
    return {};
}

}  // namespace

OutputResult printDocument(const Document& doc, QPrinter& printer, const Progress& progress)
{
    QTransform placement;
    const QString refused = setUpPaper(doc, printer, placement);
    if (!refused.isEmpty())
        return {false, false, refused};

    int first = 0, last = doc.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(first, printer.fromPage() - 1);
        last = std::min(last, printer.toPage() > 0 ? printer.toPage() - 1 : last);
    }
    // Copies are the printing system's business where it makes them; elsewhere (a PDF file) the
    // pages are painted once per copy, each copy whole.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const int pages = last - first + 1;

    QPainter painter;
    if (!painter.begin(&printer))
        return {false, false, QStringLiteral("Não foi possível iniciar a impressão.")};
    const QPaintDevice* device = painter.device();
    const QTransform toDevice =
        placement * QTransform::fromScale(device->logicalDpiX() / 25.4, device->logicalDpiY() / 25.4);
    OutputResult result{true, false, {}};
    for (int n = 0; n < copies * pages && result.ok; ++n) {
        if (progress && !progress(n, copies * pages)) {
            result = {false, true, {}};
            break;
        }
        if (n > 0 && !printer.newPage()) {
            result = {false, false, QStringLiteral("Não foi possível começar uma nova página.")};
            break;
        }
        painter.save();
        painter.setTransform(toDevice);
        doc.paintPage(first + n % pages, painter);
        painter.restore();
    }
    if (result.ok && progress)
        progress(copies * pages, copies * pages);
    if (result.cancelled)
        printer.abort();
    if (!painter.end() && result.ok)
        return {false, false, QStringLiteral("Não foi possível concluir a impressão.")};
    if (result.ok && printer.outputFormat() == QPrinter::NativeFormat) {
        const QString refusedJob = printingSystemRefusal();
        if (!refusedJob.isEmpty())
            return {false, false,
                    QStringLiteral("A impressora \"%1\" não aceitou o trabalho: %2")
                        .arg(printer.printerName(), refusedJob)};
    }
    return result;
}

}  // namespace ofx::reportengine
