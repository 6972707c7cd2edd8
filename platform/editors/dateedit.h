#pragma once
// A date editor for Brazilian dates, shown and read as DD/MM/AAAA; empty means no date.
//
// Typing takes digits and "/" only, up to 10 characters. Leaving the field (or complete())
// writes a date typed in a short form in full: "31122026", "311226", "31/12/26" and
// "1/2/2026" become "31/12/2026" and "01/02/2026" (a two-digit year is 20xx). Text that is no
// date of the calendar ("31/02/2026", "12/2026") is left as typed, so nothing the user typed is
// lost; holdsDateOrNothing() tells the caller whether the text can be used. "00/00/0000", the
// files' own way of writing no date, counts as no date and is kept as it is.
//
// A text set by setLoadedText (a date read from a file) is shown whole, whatever its form, and
// none of this applies to it until the user edits it: typed() tells the two apart.
//
// F4, Alt+Down or the drop-down button at the field's right opens a month calendar at the field's date (today when there is none);
// choosing a day writes it.
#include <QDate>
#include <QLineEdit>
#include <QString>

#include <optional>

class QAction;
class QCalendarWidget;

namespace ofx::editors {

class DateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    // The full form of a typed date, "" for a blank text, nothing when it is no date.
    static std::optional<QString> normalized(const QString& typed);

    // Shows a text as it came (no length limit, nothing rewritten), as not typed by the user.
    void setLoadedText(const QString& text);
    // The user typed into the field (or chose a day) since it was last loaded.
    bool typed() const { return typed_; }

    // Writes the text in its full form when it is a date the user typed short.
    void complete();
    bool holdsDateOrNothing() const { return normalized(text()).has_value(); }
    QDate date() const;  // invalid when empty or no date

    void showCalendar();
    QCalendarWidget* calendar() const { return calendar_; }  // while open
    QAction* calendarButton() const { return calendarButton_; }  // the drop-down button's action

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QCalendarWidget* calendar_ = nullptr;
    QAction* calendarButton_ = nullptr;
    bool typed_ = false;
};

}  // namespace ofx::editors
