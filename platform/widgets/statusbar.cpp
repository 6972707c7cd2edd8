#include "widgets/statusbar.h"

#include <QLabel>

namespace ofx::widgets {

namespace {
constexpr int panelGap = 2;  // px between two panels' frames
}

PanelStatusBar::PanelStatusBar(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
}

int PanelStatusBar::addPanel(int width, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    label->setIndent(2);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->show();
    panels_.push_back({width, label});
    layoutPanels();
    return panelCount() - 1;
}

QString PanelStatusBar::panelText(int index) const
{
    return panels_.at(std::size_t(index)).label->text();
}

void PanelStatusBar::setPanelText(int index, const QString& text)
{
    panels_.at(std::size_t(index)).label->setText(text);
}

QRect PanelStatusBar::panelRect(int index) const
{
    return panels_.at(std::size_t(index)).label->geometry();
}

void PanelStatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPanels();
}

void PanelStatusBar::layoutPanels()
{
    int x = 0;
    const int h = height() - 2;
    for (auto& p : panels_) {
        const int w = p.width < 0 ? qMax(0, width() - x) : p.width - panelGap;
        p.label->setGeometry(x, 2, w, qMax(0, h));
        x += p.width < 0 ? w : p.width;
    }
}

}  // namespace ofx::widgets
