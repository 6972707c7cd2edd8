#pragma once
// The preview window of a built report: pages painted on demand, printing, PDF export, quick
// export, zoom, text search, the outline (page list), page setup and page navigation. It offers
// no opening, saving or editing of pages.
#include "reportengine/document.h"

#include <QDialog>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrinter;
class QScrollArea;
class QSpinBox;

namespace ofx::reportengine {

class Report;
class PagesView;

class ReportPreview : public QDialog {
    Q_OBJECT
public:
    // report, when given, is built again on the page setup chosen in the preview; the report
    // itself is not changed, its later builds keep their own page setup. Not owned; it must
    // outlive the preview.
    explicit ReportPreview(Document doc, const Report* report = nullptr, QWidget* parent = nullptr);
    ~ReportPreview() override;

    const Document& document() const { return doc_; }
    int currentPage() const { return current_; }  // 0-based
    double zoom() const { return zoom_; }          // 1.0 is 100 %: paper at its real size

    void goToPage(int index);
    void setZoom(double zoom);
    // Finds text after the last hit (from the current page's top when there was none), shows
    // its page and marks it. False when there is no further hit.
    bool findNext(const QString& text);
    // Writes the PDF; with a progress window when progress is set. Shows a message on failure.
    bool exportPdfTo(const QString& path, bool progress);
    // The folder and name the export dialogs start with (none: the working folder, no name).
    void setSuggestedPdfPath(const QString& path) { suggestedPdfPath_ = path; }
    const QString& suggestedPdfPath() const { return suggestedPdfPath_; }

    // The preview as the program shows it: modal over parent, maximized, at 100 %.
    static void showModal(Document doc, const Report* report, QWidget* parent);

    // Maximized, also where no window manager carries out the maximized state: the window
    // first takes the available area of its screen.
    void maximize();

private:
    void print();
    void exportPdf(bool quick);
    void pageSetup();
    void find();
    void updatePageControls();
    void documentChanged();

    Document doc_;
    const Report* report_;
    int current_ = 0;
    double zoom_ = 1.0;
    Document::Hit lastHit_;
    QString lastSearch_;
    QString suggestedPdfPath_;

    PagesView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QListWidget* outline_ = nullptr;
    QSpinBox* pageSpin_ = nullptr;
    QLabel* pageCount_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QLineEdit* search_ = nullptr;
    QAction* first_ = nullptr;
    QAction* prior_ = nullptr;
    QAction* next_ = nullptr;
    QAction* last_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace ofx::reportengine
