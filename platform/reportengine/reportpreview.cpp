#include "reportengine/reportpreview.h"

#include "reportengine/output.h"
#include "reportengine/report.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include <list>

namespace ofx::reportengine {

// The pages one under the other, each painted when it comes into view and kept as a picture for
// a few pages (a long report is never painted whole).
class PagesView : public QWidget {
public:
    static constexpr int kGap = 12;  // px around and between pages

    explicit PagesView(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

    void setDocument(const Document* doc)
    {
        doc_ = doc;
        cache_.clear();
        highlightPage_ = -1;
        relayout();
    }
    void setPixelsPerMm(double pxPerMm)
    {
        pxPerMm_ = pxPerMm;
        cache_.clear();
        relayout();
    }
    void setHighlight(int page, const QRectF& mm)
    {
        highlightPage_ = page;
        highlight_ = mm;
        update();
    }

    QSize pageSize() const
    {
        const QSizeF mm = doc_ ? doc_->paperSizeMm() : QSizeF(210, 297);
        return QSize(qRound(mm.width() * pxPerMm_), qRound(mm.height() * pxPerMm_));
    }
    int pageTop(int index) const { return kGap + index * (pageSize().height() + kGap); }
    int pageAt(int y) const
    {
        const int step = pageSize().height() + kGap;
        const int count = doc_ ? doc_->pageCount() : 0;
        return std::clamp((y - kGap / 2) / std::max(step, 1), 0, std::max(count - 1, 0));
    }
    QRect pageRect(int index) const
    {
        const QSize size = pageSize();
        const int left = std::max(kGap, (width() - size.width()) / 2);
        return QRect(QPoint(left, pageTop(index)), size);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(128, 128, 128));
        if (!doc_ || doc_->pageCount() == 0)
            return;
        const int first = pageAt(event->rect().top());
        const int last = pageAt(event->rect().bottom());
        for (int i = first; i <= last; ++i) {
            const QRect r = pageRect(i);
            if (!r.intersects(event->rect()))
                continue;
            painter.fillRect(r.translated(3, 3), QColor(80, 80, 80));  // shadow
            painter.drawPixmap(r.topLeft(), picture(i));
            if (i == highlightPage_) {
                const QRectF h(r.left() + highlight_.left() * pxPerMm_,
                               r.top() + highlight_.top() * pxPerMm_,
                               highlight_.width() * pxPerMm_, highlight_.height() * pxPerMm_);
                painter.fillRect(h, QColor(255, 220, 0, 90));
                painter.setPen(QPen(QColor(230, 120, 0), 1.5));
                painter.drawRect(h);
            }
        }
    }

private:
    void relayout()
    {
        const int count = doc_ ? doc_->pageCount() : 0;
        const QSize size = pageSize();
        const QSize needed(size.width() + 2 * kGap, kGap + count * (size.height() + kGap));
        setMinimumSize(needed);
        // Resized now, not at the next layout pass, so that the scroll bars know the new range
        // before the caller scrolls to a page.
        const QSize room = parentWidget() ? parentWidget()->size() : needed;
        resize(needed.expandedTo(room));
        update();
    }

    const QPixmap& picture(int index)
    {
        for (auto it = cache_.begin(); it != cache_.end(); ++it)
            if (it->first == index) {
                cache_.splice(cache_.begin(), cache_, it);
                return cache_.front().second;
            }
        const qreal ratio = devicePixelRatioF();
        QPixmap pixmap(pageSize() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::white);
        {
            QPainter p(&pixmap);
            p.scale(pxPerMm_, pxPerMm_);
            doc_->paintPage(index, p);
        }
        cache_.emplace_front(index, std::move(pixmap));
        if (cache_.size() > kCachedPages)
            cache_.pop_back();
        return cache_.front().second;
    }

    static constexpr size_t kCachedPages = 8;
    const Document* doc_ = nullptr;
    double pxPerMm_ = 96 / 25.4;
    std::list<std::pair<int, QPixmap>> cache_;  // most recently shown first
    int highlightPage_ = -1;
    QRectF highlight_;
};

namespace {

// Zoom choices; the negative ones fit the page to the window.
constexpr double kPageWidth = -1, kWholePage = -2;

}  // namespace

ReportPreview::ReportPreview(Document doc, const Report* report, QWidget* parent)
    : QDialog(parent), doc_(std::move(doc)), report_(report),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setWindowTitle(QStringLiteral("Visualização do relatório"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);

    auto* toolbar = new QToolBar(this);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* printAction = toolbar->addAction(QStringLiteral("Imprimir"), this, &ReportPreview::print);
    printAction->setShortcut(QKeySequence::Print);
    printAction->setToolTip(QStringLiteral("Imprimir o relatório (Ctrl+P)"));
    toolbar->addAction(QStringLiteral("Exportar PDF..."), this, [this] { exportPdf(false); })
        ->setToolTip(QStringLiteral("Exportar o relatório para um arquivo PDF"));
    toolbar->addAction(QStringLiteral("Exportação rápida"), this, [this] { exportPdf(true); })
        ->setToolTip(QStringLiteral("Gravar o relatório direto em um arquivo PDF"));
    toolbar->addSeparator();

    zoomBox_ = new QComboBox(toolbar);
    for (int percent : {50, 75, 100, 150, 200})
        zoomBox_->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    zoomBox_->addItem(QStringLiteral("Largura da página"), kPageWidth);
    zoomBox_->addItem(QStringLiteral("Página inteira"), kWholePage);
    zoomBox_->setToolTip(QStringLiteral("Zoom"));
    toolbar->addWidget(zoomBox_);
    connect(zoomBox_, &QComboBox::activated, this, [this](int index) {
        const double choice = zoomBox_->itemData(index).toDouble();
        const QSizeF mm = doc_.paperSizeMm();
        const double pxPerMm100 = logicalDpiX() / 25.4;
        const QSize room = scroll_->viewport()->size() - QSize(2 * PagesView::kGap, 2 * PagesView::kGap);
        if (choice == kPageWidth)
            setZoom(room.width() / (mm.width() * pxPerMm100));
        else if (choice == kWholePage)
            setZoom(std::min(room.width() / mm.width(), room.height() / mm.height()) / pxPerMm100);
        else
            setZoom(choice);
    });
    QAction* zoomIn = toolbar->addAction(QStringLiteral("+"), this, [this] { setZoom(zoom_ * 1.25); });
    zoomIn->setShortcut(QKeySequence::ZoomIn);
    zoomIn->setToolTip(QStringLiteral("Aumentar o zoom"));
    QAction* zoomOut = toolbar->addAction(QStringLiteral("−"), this, [this] { setZoom(zoom_ / 1.25); });
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    zoomOut->setToolTip(QStringLiteral("Diminuir o zoom"));
    toolbar->addSeparator();

    search_ = new QLineEdit(toolbar);
    search_->setPlaceholderText(QStringLiteral("Localizar texto"));
    search_->setClearButtonEnabled(true);
    search_->setMaximumWidth(220);
    toolbar->addWidget(search_);
    connect(search_, &QLineEdit::returnPressed, this, &ReportPreview::find);
    QAction* findAction = toolbar->addAction(QStringLiteral("Localizar"), this, &ReportPreview::find);
    findAction->setShortcut(QKeySequence::FindNext);
    findAction->setToolTip(QStringLiteral("Localizar a próxima ocorrência (F3)"));
    auto* focusSearch = new QAction(this);
    focusSearch->setShortcut(QKeySequence::Find);
    connect(focusSearch, &QAction::triggered, search_, qOverload<>(&QWidget::setFocus));
    addAction(focusSearch);

    QAction* outlineAction = toolbar->addAction(QStringLiteral("Estrutura"));
    outlineAction->setCheckable(true);
    outlineAction->setChecked(true);
    outlineAction->setToolTip(QStringLiteral("Mostrar ou esconder a lista de páginas"));
    QAction* setupAction =
        toolbar->addAction(QStringLiteral("Configurar página..."), this, &ReportPreview::pageSetup);
    setupAction->setEnabled(report_ != nullptr);
    toolbar->addSeparator();

    first_ = toolbar->addAction(QStringLiteral("|<"), this, [this] { goToPage(0); });
    first_->setToolTip(QStringLiteral("Primeira página"));
    prior_ = toolbar->addAction(QStringLiteral("<"), this, [this] { goToPage(current_ - 1); });
    prior_->setToolTip(QStringLiteral("Página anterior"));
    pageSpin_ = new QSpinBox(toolbar);
    pageSpin_->setKeyboardTracking(false);
    pageSpin_->setToolTip(QStringLiteral("Página"));
    toolbar->addWidget(pageSpin_);
    pageCount_ = new QLabel(toolbar);
    toolbar->addWidget(pageCount_);
    connect(pageSpin_, &QSpinBox::valueChanged, this, [this](int page) { goToPage(page - 1); });
    next_ = toolbar->addAction(QStringLiteral(">"), this, [this] { goToPage(current_ + 1); });
    next_->setToolTip(QStringLiteral("Próxima página"));
    last_ = toolbar->addAction(QStringLiteral(">|"), this, [this] { goToPage(doc_.pageCount() - 1); });
    last_->setToolTip(QStringLiteral("Última página"));
    toolbar->addSeparator();
    toolbar->addAction(QStringLiteral("Fechar"), this, &QDialog::accept)
        ->setToolTip(QStringLiteral("Fechar a visualização (Esc)"));

    outline_ = new QListWidget(this);
    outline_->setMaximumWidth(180);
    connect(outline_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != current_)
            goToPage(row);
    });
    connect(outlineAction, &QAction::toggled, outline_, &QWidget::setVisible);

    view_ = new PagesView(this);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(true);
    scroll_->setAlignment(Qt::AlignHCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int y) {
        const int page = view_->pageAt(y + PagesView::kGap);
        if (page != current_) {
            current_ = page;
            updatePageControls();
        }
    });

    auto* splitter = new QSplitter(this);
    splitter->addWidget(outline_);
    splitter->addWidget(scroll_);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(splitter, 1);

    zoomBox_->setCurrentIndex(2);  // 100 %
    view_->setPixelsPerMm(zoom_ * logicalDpiX() / 25.4);
    documentChanged();
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::showModal(Document doc, const Report* report, QWidget* parent)
{
    ReportPreview preview(std::move(doc), report, parent);
    preview.maximize();
    preview.exec();
}

void ReportPreview::maximize()
{
    QScreen* onScreen = parentWidget() ? parentWidget()->screen() : screen();
    if (onScreen)
        setGeometry(onScreen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
}

void ReportPreview::documentChanged()
{
    view_->setDocument(&doc_);
    lastHit_ = {};
    const QSignalBlocker blockOutline(outline_);
    outline_->clear();
    for (int i = 0; i < doc_.pageCount(); ++i)
        outline_->addItem(QStringLiteral("Página %1").arg(i + 1));
    const QSignalBlocker blockSpin(pageSpin_);
    pageSpin_->setRange(1, std::max(1, doc_.pageCount()));
    pageCount_->setText(QStringLiteral(" de %1 ").arg(doc_.pageCount()));
    current_ = std::clamp(current_, 0, std::max(0, doc_.pageCount() - 1));
    updatePageControls();
}

void ReportPreview::updatePageControls()
{
    {
        const QSignalBlocker blockSpin(pageSpin_);
        pageSpin_->setValue(current_ + 1);
    }
    {
        const QSignalBlocker blockOutline(outline_);
        outline_->setCurrentRow(current_);
    }
    first_->setEnabled(current_ > 0);
    prior_->setEnabled(current_ > 0);
    next_->setEnabled(current_ + 1 < doc_.pageCount());
    last_->setEnabled(current_ + 1 < doc_.pageCount());
}

void ReportPreview::goToPage(int index)
{
    if (doc_.pageCount() == 0)
        return;
    current_ = std::clamp(index, 0, doc_.pageCount() - 1);
    {
        const QSignalBlocker block(scroll_->verticalScrollBar());
        scroll_->verticalScrollBar()->setValue(view_->pageTop(current_) - PagesView::kGap);
    }
    updatePageControls();
}

void ReportPreview::setZoom(double zoom)
{
    zoom_ = std::clamp(zoom, 0.1, 8.0);
    view_->setPixelsPerMm(zoom_ * logicalDpiX() / 25.4);
    goToPage(current_);
}

bool ReportPreview::findNext(const QString& text)
{
    if (text != lastSearch_) {
        lastSearch_ = text;
        lastHit_ = {current_, -1};
    } else if (lastHit_.page < 0) {
        lastHit_ = {current_, -1};
    }
    const Document::Hit hit = doc_.find(text, lastHit_);
    if (hit.page < 0) {
        lastHit_ = {};
        return false;
    }
    lastHit_ = hit;
    goToPage(hit.page);
    const QRectF r = doc_.page(hit.page).objects[static_cast<size_t>(hit.object)].rect;
    view_->setHighlight(hit.page, r);
    scroll_->ensureVisible(view_->pageRect(hit.page).left() + int(r.center().x() * zoom_ * logicalDpiX() / 25.4),
                           view_->pageRect(hit.page).top() + int(r.center().y() * zoom_ * logicalDpiX() / 25.4));
    return true;
}

void ReportPreview::find()
{
    const QString text = search_->text();
    if (text.isEmpty()) {
        search_->setFocus();
        return;
    }
    if (!findNext(text))
        QMessageBox::information(this, windowTitle(),
                                 QStringLiteral("O texto \"%1\" não foi encontrado.").arg(text));
}

void ReportPreview::print()
{
    // The dialog starts from the report's paper and one copy; what the user picks there (printer,
    // copies, page range) is what gets printed.
    printer_->setPageLayout(doc_.pageLayout());
    printer_->setCopyCount(1);
    printer_->setPrintRange(QPrinter::AllPages);
    if (!suggestedPdfPath_.isEmpty())
        printer_->setDocName(QFileInfo(suggestedPdfPath_).completeBaseName());
    QPrintDialog dialog(printer_.get(), this);
    dialog.setWindowTitle(QStringLiteral("Imprimir"));
    dialog.setMinMax(1, std::max(1, doc_.pageCount()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const OutputResult result = printDocument(doc_, *printer_);
    if (!result.ok && !result.cancelled)
        QMessageBox::warning(this, windowTitle(), result.error);
}

bool ReportPreview::exportPdfTo(const QString& path, bool progress)
{
    OutputResult result;
    if (progress) {
        QProgressDialog dialog(QStringLiteral("Exportando para PDF..."), QStringLiteral("Cancelar"),
                               0, doc_.pageCount(), this);
        dialog.setWindowTitle(QStringLiteral("Exportar PDF"));
        dialog.setWindowModality(Qt::WindowModal);
        dialog.setMinimumDuration(0);
        result = writePdf(doc_, path, [&](int done, int) {
            dialog.setValue(done);
            return !dialog.wasCanceled();
        });
    } else {
        result = writePdf(doc_, path);
    }
    if (!result.ok && !result.cancelled)
        QMessageBox::warning(this, windowTitle(), result.error);
    return result.ok;
}

void ReportPreview::exportPdf(bool quick)
{
    // An existing file is overwritten without asking. Both exports show the progress window.
    QString path = QFileDialog::getSaveFileName(
        this, quick ? QStringLiteral("Exportação rápida") : QStringLiteral("Exportar para PDF"),
        suggestedPdfPath_, QStringLiteral("Arquivo PDF (*.pdf)"), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    exportPdfTo(path, true);
}

void ReportPreview::pageSetup()
{
    if (!report_)
        return;
    printer_->setPageLayout(doc_.pageLayout());
    QPageSetupDialog dialog(printer_.get(), this);
    dialog.setWindowTitle(QStringLiteral("Configurar página"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QPageLayout chosen = printer_->pageLayout();
    PageSetup setup;
    setup.size = chosen.pageSize();
    setup.orientation = chosen.orientation();
    setup.margins = chosen.margins(QPageLayout::Millimeter);
    doc_ = report_->build(setup);
    documentChanged();
    goToPage(0);
}

}  // namespace ofx::reportengine
