#include "reportengine/output.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

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

OutputResult printDocument(const Document& doc, QPrinter& printer, const Progress& progress)
{
    printer.setFullPage(true);
    printer.setPageLayout(fullPage(doc));
    printer.setCopyCount(1);
    int first = 0, last = doc.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(first, printer.fromPage() - 1);
        last = std::min(last, printer.toPage() > 0 ? printer.toPage() - 1 : last);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return {false, false, QStringLiteral("Não foi possível iniciar a impressão.")};
    OutputResult result =
        paintPages(doc, painter, first, last, [&] { return printer.newPage(); }, progress);
    if (result.cancelled)
        printer.abort();
    painter.end();
    return result;
}

}  // namespace ofx::reportengine
