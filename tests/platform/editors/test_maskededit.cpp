#include "editors/maskededit.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

using ofx::editors::MaskedEdit;

namespace {

const QString cnpjMask = QStringLiteral("99.999.999/9999-99;1;_");
const QString alnumCnpjMask = QStringLiteral("AA.AAA.AAA/AAAA-99;1;_");
const QString cpfMask = QStringLiteral("999.999.999-99;1;_");
const QString cepMask = QStringLiteral("99.999-999;1;_");

void type(MaskedEdit& e, const QString& keys) { QTest::keyClicks(&e, keys); }
void press(MaskedEdit& e, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(&e, key, mods);
}

}  // namespace

TEST(MaskedEdit, UntouchedFieldsReadBlanksAndShowMarks)
{
    MaskedEdit cnpj;
    cnpj.setEditMask(cnpjMask);
    EXPECT_EQ(cnpj.text(), "  .   .   /    -  ");
    EXPECT_EQ(cnpj.displayText(), "__.___.___/____-__");

    MaskedEdit cep;
    cep.setEditMask(cepMask);
    EXPECT_EQ(cep.text(), "  .   -   ");

    MaskedEdit noLiterals;
    noLiterals.setEditMask(QStringLiteral("99.999-999;0;*"));
    EXPECT_EQ(noLiterals.text(), "        ");
    EXPECT_EQ(noLiterals.displayText(), "**.***-***");
}

TEST(MaskedEdit, TypingFillsPositionsAndSkipsLiterals)
{
    MaskedEdit e;
    e.setEditMask(cnpjMask);
    type(e, "11222333000181");
    EXPECT_EQ(e.text(), "11.222.333/0001-81");

    // Typed punctuation is taken as the literal it meets, letters are dropped in digit positions.
    MaskedEdit f;
    f.setEditMask(cpfMask);
    type(f, "111.4x44");
    EXPECT_EQ(f.text(), "111.444.   -  ");
    EXPECT_EQ(f.cursorPosition(), 8);  // past the "." that follows the sixth digit
}

TEST(MaskedEdit, EditingKeys)
{
    MaskedEdit e;
    e.setEditMask(cpfMask);
    type(e, "1234");
    press(e, Qt::Key_Backspace);  // clears the 4, over the literal
    EXPECT_EQ(e.text(), "123.   .   -  ");
    press(e, Qt::Key_Backspace);
    EXPECT_EQ(e.text(), "12 .   .   -  ");

    press(e, Qt::Key_Home);
    type(e, "9");  // overwrites
    EXPECT_EQ(e.text(), "92 .   .   -  ");
    press(e, Qt::Key_Delete);  // clears the position at the cursor, the cursor stays
    EXPECT_EQ(e.text(), "9  .   .   -  ");
    type(e, "8 7");  // a blank clears its position and moves on
    EXPECT_EQ(e.text(), "98 .7  .   -  ");

    press(e, Qt::Key_End);
    type(e, "5");  // no position left after the end
    EXPECT_EQ(e.text(), "98 .7  .   -  ");
    press(e, Qt::Key_Backspace);
    type(e, "5");
    EXPECT_EQ(e.text(), "98 .7  .   - 5");

    e.selectAll();
    type(e, "4");  // a selection is cleared as a whole before typing
    EXPECT_EQ(e.text(), "4  .   .   -  ");
    e.selectAll();
    press(e, Qt::Key_Delete);
    EXPECT_EQ(e.text(), "   .   .   -  ");
}

TEST(MaskedEdit, SetTextPlacesCharacters)
{
    struct Case {
        const char* given;
        const char* text;
    };
    const Case cases[] = {
        {"12.345.678/0001-95", "12.345.678/0001-95"},
        {"12345678000195", "12.345.678/0001-95"},
        {"  .   .   /    -  ", "  .   .   /    -  "},
        {"12.3  .   /    -  ", "12.3  .   /    -  "},
        {"", "  .   .   /    -  "},
        {"1234567800019599", "12.345.678/0001-95"},  // the rest does not fit
    };
    MaskedEdit e;
    e.setEditMask(cnpjMask);
    for (const auto& c : cases) {
        e.setText(QString::fromLatin1(c.given));
        EXPECT_EQ(e.text(), c.text) << c.given;
    }
}

TEST(MaskedEdit, AlphanumericPositionsUpperCaseLetters)
{
    MaskedEdit e;
    e.setEditMask(alnumCnpjMask);
    type(e, "12abc34501de35");
    EXPECT_EQ(e.text(), "12.ABC.345/01DE-35");

    // The check digits stay digits only; accented letters are no CNPJ characters.
    e.setText(QString());
    type(e, QStringLiteral("12ÁBC34501DEXY"));
    EXPECT_EQ(e.text(), "12.BC3.450/1DEX-  ");
}

TEST(MaskedEdit, MaskSwitchKeepsTheCharactersThatFit)
{
    MaskedEdit e;
    e.setMaxLength(14);
    e.setEditMask(alnumCnpjMask);
    type(e, "12ABC34501DE35");

    e.setEditMask(cpfMask);  // letters do not fit digit positions
    EXPECT_EQ(e.text(), "123.450.135-  ");

    e.setEditMask(QString());  // plain: the typed characters, no literals or blanks
    EXPECT_EQ(e.text(), "123450135");
    EXPECT_FALSE(e.isMasked());

    e.setText(QStringLiteral("11222333000181"));
    e.setEditMask(cnpjMask);
    EXPECT_EQ(e.text(), "11.222.333/0001-81");

    MaskedEdit untouched;
    untouched.setEditMask(cnpjMask);
    untouched.setEditMask(QString());
    EXPECT_EQ(untouched.text(), "");
}

TEST(MaskedEdit, EmptyMaskIsAPlainEditorUpToItsLength)
{
    MaskedEdit e;
    e.setMaxLength(14);
    EXPECT_FALSE(e.isMasked());
    type(e, "abc 123.456/789-00");
    EXPECT_EQ(e.text(), "abc 123.456/78");

    // The mask's own length is not limited by the plain editor's.
    e.setEditMask(cnpjMask);
    e.setText(QStringLiteral("11.222.333/0001-81"));
    EXPECT_EQ(e.text(), "11.222.333/0001-81");
}

TEST(MaskedEdit, ChangesThroughTheBaseClassKeepTheMask)
{
    MaskedEdit e;
    e.setEditMask(cepMask);
    QLineEdit& base = e;
    base.setText(QStringLiteral("29101010"));
    EXPECT_EQ(e.text(), "29.101-010");
    base.setText(QStringLiteral("xx"));
    EXPECT_EQ(e.text(), "  .   -   ");
}

TEST(MaskedEdit, PasteTypesTheClipboard)
{
    QApplication::clipboard()->setText(QStringLiteral("11.222.333/0001-81\n"));
    MaskedEdit e;
    e.setEditMask(cnpjMask);
    press(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.text(), "11.222.333/0001-81");

    e.setSelection(11, 4);  // "0001"
    press(e, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "0001");
    EXPECT_EQ(e.text(), "11.222.333/    -81");
}
