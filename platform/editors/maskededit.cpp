#include "editors/maskededit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace ofx::editors {

namespace {

// QLineEdit's own default length limit.
constexpr int defaultMaxLength = 32767;

}  // namespace

MaskedEdit::MaskedEdit(QWidget* parent)
    : QLineEdit(parent)
    , plainMaxLength_(QLineEdit::maxLength())
{
    connect(this, &QLineEdit::textChanged, this, [this] { readBackForeignChange(); });
}

void MaskedEdit::setEditMask(const QString& mask)
{
    const QString carried = isMasked() ? typedCharacters() : QLineEdit::text();
    mask_ = mask;
    positions_.clear();

    const QStringList parts = mask.split(QLatin1Char(';'));
    const QString pattern = parts.value(0);
    literalsInText_ = parts.size() < 2 || parts[1] != QLatin1String("0");
    blank_ = parts.size() >= 3 && !parts[2].isEmpty() ? parts[2][0] : QLatin1Char('_');
    for (QChar c : pattern) {
        if (c == QLatin1Char('9'))
            positions_.push_back({Kind::Digit, QChar()});
        else if (c == QLatin1Char('A'))
            positions_.push_back({Kind::DigitOrLetter, QChar()});
        else
            positions_.push_back({Kind::Literal, c});
    }

    rendering_ = true;
    if (isMasked()) {
        QLineEdit::setMaxLength(defaultMaxLength);
        setAcceptDrops(false);
        place(carried, 0);
        render(skipLiterals(0));
    } else {
        QLineEdit::setMaxLength(plainMaxLength_);
        setAcceptDrops(true);
        QLineEdit::setText(carried);
    }
    rendering_ = false;
}

QString MaskedEdit::text() const
{
    if (!isMasked())
        return QLineEdit::text();
    QString s;
    for (const Position& p : positions_) {
        if (p.kind == Kind::Literal) {
            if (literalsInText_)
                s += p.ch;
        } else {
            s += p.ch.isNull() ? QLatin1Char(' ') : p.ch;
        }
    }
    return s;
}

void MaskedEdit::setText(const QString& text)
{
    if (!isMasked()) {
        QLineEdit::setText(text);
        return;
    }
    clearRange(0, int(positions_.size()));
    place(text, 0);
    render(skipLiterals(0));
}

void MaskedEdit::setMaxLength(int length)
{
    plainMaxLength_ = length;
    if (!isMasked())
        QLineEdit::setMaxLength(length);
}

int MaskedEdit::nextSlot(int from) const
{
    for (int i = std::max(from, 0); i < positions_.size(); ++i)
        if (isSlot(i))
            return i;
    return -1;
}

int MaskedEdit::previousSlot(int before) const
{
    for (int i = std::min(before, int(positions_.size())) - 1; i >= 0; --i)
        if (isSlot(i))
            return i;
    return -1;
}

int MaskedEdit::skipLiterals(int from) const
{
    while (from < positions_.size() && !isSlot(from))
        ++from;
    return from;
}

// Places chars from position `from` on and returns the position after the last one used.
int MaskedEdit::place(const QString& chars, int from)
{
    const int n = int(positions_.size());
    int p = from;
    for (QChar c : chars) {
        while (p < n && !isSlot(p) && positions_[p].ch != c)
            ++p;
        if (p >= n)
            break;
        if (!isSlot(p)) {  // c is this literal: step over it
            ++p;
            continue;
        }
        std::optional<QChar> fitting;
        if (c == QLatin1Char(' '))
            fitting = QChar();
        else if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            fitting = c;
        else if (positions_[p].kind == Kind::DigitOrLetter && c.unicode() < 128 && c.isLetter())
            fitting = c.toUpper();
        if (!fitting)
            continue;  // fits no position here: dropped
        positions_[p].ch = *fitting;
        ++p;
    }
    return p;
}

void MaskedEdit::clearRange(int from, int to)
{
    for (int i = std::max(from, 0); i < std::min(to, int(positions_.size())); ++i)
        if (isSlot(i))
            positions_[i].ch = QChar();
}

QString MaskedEdit::typedCharacters() const
{
    QString s;
    for (const Position& p : positions_)
        if (p.kind != Kind::Literal && !p.ch.isNull())
            s += p.ch;
    return s;
}

QString MaskedEdit::display() const
{
    QString s;
    for (const Position& p : positions_)
        s += p.ch.isNull() ? blank_ : p.ch;
    return s;
}

void MaskedEdit::render(int cursor)
{
    const bool wasRendering = rendering_;
    rendering_ = true;
    const QString shown = display();
    if (QLineEdit::text() != shown)
        QLineEdit::setText(shown);
    setCursorPosition(cursor);
    rendering_ = wasRendering;
}

void MaskedEdit::typeText(const QString& chars)
{
    int cursor = cursorPosition();
    if (hasSelectedText()) {
        cursor = selectionStart();
        clearRange(cursor, selectionEnd());
    }
    const int slot = nextSlot(cursor);
    if (slot < 0) {
        render(cursor);
        return;
    }
    render(skipLiterals(place(chars, cursor)));
}

void MaskedEdit::pasteText(const QString& chars)
{
    // A pasted number keeps its punctuation; line ends and other blanks are not meant as typed
    // blanks.
    typeText(chars.simplified().remove(QLatin1Char(' ')));
}

void MaskedEdit::readBackForeignChange()
{
    if (rendering_ || !isMasked())
        return;
    const int cursor = cursorPosition();
    QString foreign = QLineEdit::text();
    foreign.replace(blank_, QLatin1Char(' '));
    rendering_ = true;
    clearRange(0, int(positions_.size()));
    place(foreign, 0);
    render(std::min(cursor, int(positions_.size())));
    rendering_ = false;
}

void MaskedEdit::keyPressEvent(QKeyEvent* event)
{
    if (!isMasked() || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int cursor = cursorPosition();
    auto clearSelectionOr = [&](int from, int to, int cursorAfter) {
        if (hasSelectedText()) {
            const int start = selectionStart();
            clearRange(start, selectionEnd());
            render(start);
        } else {
            clearRange(from, to);
            render(cursorAfter);
        }
    };

    if (event == QKeySequence::Paste) {
        pasteText(QApplication::clipboard()->text());
    } else if (event == QKeySequence::Cut) {
        if (hasSelectedText()) {
            QApplication::clipboard()->setText(selectedText().replace(blank_, QLatin1Char(' ')));
            clearSelectionOr(0, 0, cursor);
        }
    } else if (event == QKeySequence::Undo || event == QKeySequence::Redo) {
        // No undo history in a masked field.
    } else if (event->key() == Qt::Key_Backspace || event == QKeySequence::DeleteStartOfWord) {
        const int p = previousSlot(cursor);
        clearSelectionOr(p, p + 1, p < 0 ? cursor : p);
    } else if (event == QKeySequence::Delete || event->key() == Qt::Key_Delete
               || event == QKeySequence::DeleteEndOfWord) {
        const int p = nextSlot(cursor);
        clearSelectionOr(p, p + 1, cursor);
    } else if (event == QKeySequence::DeleteEndOfLine) {
        clearSelectionOr(cursor, int(positions_.size()), cursor);
    } else if (event == QKeySequence::DeleteCompleteLine) {
        clearRange(0, int(positions_.size()));
        render(skipLiterals(0));
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint()
               && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        typeText(event->text());
    } else {
        QLineEdit::keyPressEvent(event);  // movement, selection, copy, Enter, Escape...
        return;
    }
    event->accept();
}

void MaskedEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!isMasked() || isReadOnly()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    if (!event->commitString().isEmpty())
        typeText(event->commitString());
    event->accept();
}

}  // namespace ofx::editors
