#pragma once
// A status bar of text panels with fixed widths, left to right; a panel of width -1 takes the
// rest of the bar. No size grip.
#include <QWidget>

#include <vector>

class QLabel;

namespace ofx::widgets {

class PanelStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget* parent = nullptr);

    int addPanel(int width, const QString& text = {});  // returns the panel's index
    int panelCount() const { return int(panels_.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    // The panel's rectangle in the bar's coordinates, as laid out for the bar's current width.
    QRect panelRect(int index) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutPanels();

    struct Panel {
        int width;
        QLabel* label;
    };
    std::vector<Panel> panels_;
};

}  // namespace ofx::widgets
