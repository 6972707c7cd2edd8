#pragma once
// A progress bar without a percentage text, resting at 0 on a 0..100 range until the caller
// sets its range.
#include <QProgressBar>

namespace ofx::widgets {

class ProgressBar : public QProgressBar {
public:
    explicit ProgressBar(QWidget* parent = nullptr) : QProgressBar(parent)
    {
        setRange(0, 100);
        setValue(0);
        setTextVisible(false);
    }
};

}  // namespace ofx::widgets
