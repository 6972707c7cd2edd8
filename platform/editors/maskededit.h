#pragma once
// A line editor with an edit mask in the notation "pattern;1;_":
//   pattern  "9" an optional digit, "A" an optional digit or letter (typed lower case becomes
//            upper case; letters A-Z only), any other character a literal;
//   "1"      the literals are part of text() ("0": text() holds the positions only);
//   "_"      the character shown in an unfilled position (default "_").
// text() reads an unfilled position as a blank, so an untouched "99.999-999;1;_" field reads
// "  .   -   ". The empty mask makes a plain editor of up to maxLength() characters.
//
// Typing fills the next position at or after the cursor and overwrites it (a blank clears it);
// Backspace clears the position before the cursor, Delete the one at it; a selection is cleared
// as a whole. Paste places the clipboard's characters like typing. Characters that fit no
// position are dropped.
//
// text(), setText(), maxLength() and setMaxLength() hide QLineEdit's functions of the same names:
// call them through a MaskedEdit (QLineEdit::text() gives the shown text, "_" included). A change
// made through QLineEdit itself (its own setText, context menu, a drop) is read back as if given
// to setText, so the mask always holds.
#include <QLineEdit>
#include <QString>
#include <QVector>

namespace ofx::editors {

class MaskedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit MaskedEdit(QWidget* parent = nullptr);

    // Switching masks keeps the characters already typed that fit the new positions, in order
    // (the literals of the old mask and its unfilled positions are not carried over). Removing the
    // mask keeps those characters as plain text, cut to maxLength().
    void setEditMask(const QString& mask);
    const QString& editMask() const { return mask_; }
    bool isMasked() const { return !positions_.isEmpty(); }

    QString text() const;
    // Masked: places the characters from the first position on; a literal of the pattern in the
    // text is matched, a blank leaves its position unfilled ("12.345.678/0001-95",
    // "12345678000195" and "  .   .   /    -  " all work). Plain: as QLineEdit.
    void setText(const QString& text);

    // Length limit of the plain (unmasked) editor; a mask sets its own length.
    void setMaxLength(int length);
    int maxLength() const { return plainMaxLength_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    enum class Kind : char { Literal, Digit, DigitOrLetter };
    struct Position {
        Kind kind;
        QChar ch;  // the literal, or the typed character (null when unfilled)
    };

    bool isSlot(int i) const { return positions_[i].kind != Kind::Literal; }
    int nextSlot(int from) const;
    int previousSlot(int before) const;
    int skipLiterals(int from) const;
    int place(const QString& chars, int from);
    void clearRange(int from, int to);
    QString typedCharacters() const;
    QString display() const;
    void render(int cursor);
    void typeText(const QString& chars);
    void pasteText(const QString& chars);
    void readBackForeignChange();

    QString mask_;
    QVector<Position> positions_;
    bool literalsInText_ = true;
    QChar blank_ = QLatin1Char('_');
    int plainMaxLength_;
    bool rendering_ = false;
};

}  // namespace ofx::editors
