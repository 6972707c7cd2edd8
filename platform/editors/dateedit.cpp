#include "editors/dateedit.h"

#include <QAction>
#include <QCalendarWidget>
#include <QStyle>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>

#include <algorithm>

namespace ofx::editors {

namespace {

const QString kFormat = QStringLiteral("dd/MM/yyyy");
const QString kNoDate = QStringLiteral("00/00/0000");  // how exchange files write "no date"

int fullYear(const QString& digits)
{
    const int y = digits.toInt();
    return digits.size() == 2 ? 2000 + y : y;
}

}  // namespace

DateEdit::DateEdit(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(10);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9/]{0,10}")), this));
    setToolTip(QStringLiteral("DD/MM/AAAA — F4 abre o calendário"));
    connect(this, &QLineEdit::textEdited, this, [this] { typed_ = true; });
    // The drop-down button of a date editor: the calendar is there for the mouse too.
    calendarButton_ = addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    calendarButton_->setToolTip(QStringLiteral("Calendário (F4)"));
    connect(calendarButton_, &QAction::triggered, this, [this] {
        if (isEnabled() && !isReadOnly())
            showCalendar();
    });
}

void DateEdit::setLoadedText(const QString& text)
{
    setMaxLength(std::max<int>(10, static_cast<int>(text.size())));
    setText(text);
    typed_ = false;
}

std::optional<QString> DateEdit::normalized(const QString& typed)
{
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return QString();
    if (t == kNoDate)
        return t;
    static const QRegularExpression compact(QStringLiteral("^(\\d{2})(\\d{2})(\\d{2}|\\d{4})$"));
    static const QRegularExpression slashed(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})$"));
    QRegularExpressionMatch m = compact.match(t);
    if (!m.hasMatch())
        m = slashed.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate d(fullYear(m.captured(3)), m.captured(2).toInt(), m.captured(1).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d.toString(kFormat);
}

void DateEdit::complete()
{
    if (!typed_)
        return;
    const std::optional<QString> full = normalized(text());
    if (full && *full != text()) {
        setText(*full);
        setModified(true);
    }
}

QDate DateEdit::date() const
{
    const std::optional<QString> full = normalized(text());
    return full && !full->isEmpty() ? QDate::fromString(*full, kFormat) : QDate();
}

void DateEdit::showCalendar()
{
    if (calendar_)
        return;
    calendar_ = new QCalendarWidget(this);
    calendar_->setWindowFlags(Qt::Popup);
    calendar_->setAttribute(Qt::WA_DeleteOnClose);
    calendar_->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    calendar_->setGridVisible(true);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    const QDate current = date();
    calendar_->setSelectedDate(current.isValid() ? current : QDate::currentDate());
    connect(calendar_, &QCalendarWidget::activated, this, [this](QDate day) {
        setText(day.toString(kFormat));
        setModified(true);
        typed_ = true;
        calendar_->close();
    });
    connect(calendar_, &QCalendarWidget::clicked, calendar_, &QCalendarWidget::activated);
    connect(calendar_, &QObject::destroyed, this, [this] { calendar_ = nullptr; });
    calendar_->adjustSize();
    // Under the field, kept on its screen.
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - calendar_->width() + 1)));
        if (at.y() + calendar_->height() > area.bottom() + 1)
            at.setY(mapToGlobal(QPoint(0, 0)).y() - calendar_->height());
    }
    calendar_->move(at);
    calendar_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

void DateEdit::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::PopupFocusReason)
        complete();
    QLineEdit::focusOutEvent(event);
}

void DateEdit::keyPressEvent(QKeyEvent* event)
{
    const bool opens = event->key() == Qt::Key_F4
                       || (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier));
    if (opens && isEnabled() && !isReadOnly()) {
        showCalendar();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace ofx::editors
