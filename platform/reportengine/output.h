#pragma once
// Putting a built report on paper or into a PDF file.
#include "reportengine/document.h"

#include <QString>

#include <functional>

class QPainter;
class QPrinter;

namespace ofx::reportengine {

struct OutputResult {
    bool ok = false;
    bool cancelled = false;  // the progress callback asked to stop
    QString error;           // Portuguese sentence when neither ok nor cancelled
};

// Called before each page with the pages done so far and the total; returning false stops.
using Progress = std::function<bool(int done, int total)>;

// Paints page index on the painter's device, full page: 1 mm of paper is device.logicalDpi/25.4
// device pixels from the device's origin (a QPdfWriter without margins, a full-page QPrinter).
void paintPageOnDevice(const Document& doc, int index, QPainter& painter);

// Writes every page to path as PDF (fonts embedded, no outline, no password), replacing an
// existing file without asking. The file is written aside and renamed over the old one only when
// complete: a failure or a cancel leaves the old file, or none, never half a PDF.
OutputResult writePdf(const Document& doc, const QString& path, const Progress& progress = {});

// Prints on printer with the document's paper and orientation, never another: full page where
// the printer takes it, else within the printer's smallest margins (the pages where the document
// puts them when those margins fit inside the document's, else scaled down to fit). Prints the
// page range and the copies set on printer (by a print dialog, say). On a printing system, ok
// means that it accepted the job (CUPS's answer is checked where the build has CUPS).
OutputResult printDocument(const Document& doc, QPrinter& printer, const Progress& progress = {});

}  // namespace ofx::reportengine
