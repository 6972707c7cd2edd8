// The entry window's participant panel: fields stored on leaving them, the CPF/CNPJ check on
// leaving the document field, the type field's mask switch; and proHabilitaCampos.
#include "entrywindow.h"

#include "editors/maskededit.h"
#include "proposal/document.h"
#include "widgets/iconbutton.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

using namespace ofx;

namespace {

QString mask(std::string_view m) { return QString::fromLatin1(m.data(), int(m.size())); }

class Participant : public test::EntryFixture {
protected:
    void SetUp() override
    {
        EntryFixture::SetUp();
        for (QWidget* f : fields())
            f->setEnabled(true);
        edtCpfCnpj()->setEditMask(mask(proposal::cnpjMask));
        auto& v = vars();
        v.vCpfCnpj = "anterior";
        v.vTipoDocumento = "tipo";
        v.vCpfCnpjFormatado = "formatado";
    }

    std::vector<QWidget*> fields() const
    {
        return {w->edtNmFornecedor, w->edtTipoDocumento, w->edtCpfCnpj, w->edtEndereco, w->edtNumero,
                w->edtCEP,          w->edtBairro,        w->edtCidade,  w->edtUF};
    }
    editors::MaskedEdit* edtCpfCnpj() const { return w->edtCpfCnpj; }
    proposal::ProcessVariables& vars() const { return proposal::processVariables(); }

    // Types the document (after choosing the type and leaving the type field) and leaves the
    // field with Tab, as the user does.
    void enterDocument(const QString& type, const QString& typed)
    {
        w->edtTipoDocumento->setFocus();
        w->edtTipoDocumento->setCurrentText(type);
        QTest::keyClick(w->edtTipoDocumento, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), w->edtCpfCnpj);
        edtCpfCnpj()->setText(QString());
        QTest::keyClicks(w->edtCpfCnpj, typed);
        QTest::keyClick(w->edtCpfCnpj, Qt::Key_Tab);
    }
};

}  // namespace

TEST_F(Participant, FieldsAsCreated)
{
    forms::TFLancamentoProposta fresh;
    EXPECT_FALSE(fresh.edtCpfCnpj->isMasked());
    EXPECT_EQ(fresh.edtCpfCnpj->maxLength(), 14);
    EXPECT_EQ(fresh.edtCEP->editMask(), QStringLiteral("99.999-999;1;_"));
    EXPECT_EQ(fresh.edtCEP->text(), QStringLiteral("  .   -   "));
    EXPECT_TRUE(fresh.edtNmFornecedor->toolTip().isEmpty());
}

// The tab order runs name, type, document, street, number, CEP, district, city, UF.
TEST_F(Participant, TabOrder)
{
    w->edtNmFornecedor->setFocus();
    const std::vector<QWidget*> order = fields();
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << i;
    }
}

// The plain fields store their text as typed, blanks included, when the focus leaves them.
TEST_F(Participant, PlainFieldsStoreTheirTextOnLeaving)
{
    struct Case {
        QLineEdit* field;
        const char* typed;
        std::string proposal::ProcessVariables::*variable;
        const char* stored;
    };
    const Case cases[] = {
        {w->edtNmFornecedor, "  Papelaria São José Ltda ", &proposal::ProcessVariables::vNmFornecedor,
         "  Papelaria S\xE3o Jos\xE9 Ltda "},
        {w->edtEndereco, "Rua D'Ouro ", &proposal::ProcessVariables::vEndereco, "Rua D'Ouro "},
        {w->edtNumero, " 12A", &proposal::ProcessVariables::vNumero, " 12A"},
        {w->edtBairro, "Centro", &proposal::ProcessVariables::vBairro, "Centro"},
        {w->edtCidade, "", &proposal::ProcessVariables::vCidade, ""},
        {w->edtCEP, "88015", &proposal::ProcessVariables::vCEP, "88.015-   "},
    };
    for (const Case& c : cases) {
        vars().*c.variable = "antes";
        c.field->setFocus();
        if (c.field == w->edtCEP)
            QTest::keyClicks(c.field, QString::fromUtf8(c.typed));
        else
            c.field->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(vars().*c.variable, "antes") << "not before leaving: " << c.typed;
        w->mmObs->setFocus();
        EXPECT_EQ(vars().*c.variable, c.stored) << c.typed;
    }
    // An untouched CEP stores its empty-mask text.
    w->edtCEP->setText(QString());
    w->edtCEP->setFocus();
    w->mmObs->setFocus();
    EXPECT_EQ(vars().vCEP, "  .   -   ");
    w->edtUF->setFocus();
    w->edtUF->setCurrentText(QStringLiteral("SC"));
    w->mmObs->setFocus();
    EXPECT_EQ(vars().vUF, "SC");
}

// A message dialog or a drop-down list taking the activation is no exit: the focus stays in the
// field.
TEST_F(Participant, DeactivationAndPopupAreNoExit)
{
    test::DialogAnswerer answer;
    w->edtNmFornecedor->setFocus();
    w->edtNmFornecedor->setText(QStringLiteral("Digitado"));
    widgets::messageDlg(QStringLiteral("x"), widgets::MsgKind::Information, widgets::MsgButton::OK, w);
    EXPECT_EQ(vars().vNmFornecedor, "");
    EXPECT_EQ(QApplication::focusWidget(), w->edtNmFornecedor);

    w->edtUF->setFocus();
    w->edtUF->setCurrentText(QStringLiteral("PR"));
    w->edtUF->showPopup();
    w->edtUF->hidePopup();
    EXPECT_EQ(vars().vUF, "");
}

struct DocumentCase {
    const char* type;
    const char* typed;
    const char* shownAfter;  // zero-filled, whether accepted or not
    const char* stored;      // nullptr: refused
};

const DocumentCase documentCases[] = {
    // Untouched fields: all zeros, accepted as "no document" (saving refuses it).
    {"CNPJ", "", "00.000.000/0000-00", "00000000000000"},
    {"CPF", "", "000.000.000-00", "cpf00000000000"},
    // Valid numbers, the alphanumeric CNPJ among them.
    {"CPF", "52998224725", "529.982.247-25", "cpf52998224725"},
    {"CNPJ", "11222333000181", "11.222.333/0001-81", "11222333000181"},
    {"CNPJ", "12abc34501de35", "12.ABC.345/01DE-35", "12ABC34501DE35"},
    // Partly filled: blanks become zeros, and they stay.
    {"CPF", "5299822", "529.982.200-00", nullptr},
    {"CNPJ", "112223330001", "11.222.333/0001-00", nullptr},
    // Repeated digits pass the arithmetic but are refused.
    {"CPF", "11111111111", "111.111.111-11", nullptr},
    {"CNPJ", "22222222222222", "22.222.222/2222-22", nullptr},
    {"CPF", "52998224726", "529.982.247-26", nullptr},
};

void PrintTo(const DocumentCase& c, std::ostream* os)
{
    *os << c.type << " \"" << c.typed << '"';
}

class DocumentExit : public Participant, public ::testing::WithParamInterface<DocumentCase> {};

TEST_P(DocumentExit, ZeroFillsChecksAndStores)
{
    const DocumentCase& c = GetParam();
    test::DialogAnswerer answer;
    enterDocument(QLatin1String(c.type), QLatin1String(c.typed));
    EXPECT_EQ(edtCpfCnpj()->text(), QLatin1String(c.shownAfter));
    if (c.stored) {
        EXPECT_TRUE(answer.dialogs.empty());
        EXPECT_EQ(vars().vCpfCnpj, c.stored);
        EXPECT_EQ(vars().vTipoDocumento, c.type);
        EXPECT_EQ(vars().vCpfCnpjFormatado, c.shownAfter);
        EXPECT_EQ(QApplication::focusWidget(), w->edtEndereco);
    } else {
        ASSERT_EQ(answer.dialogs.size(), 1u);
        const QString expected = std::string_view(c.type) == "CPF" ? QStringLiteral("O CPF informado é inválido! Verifique.")
                                                                   : QStringLiteral("O CNPJ informado é inválido! Verifique.");
        EXPECT_EQ(answer.dialogs[0].text, expected);
        EXPECT_EQ(answer.dialogs[0].title, QStringLiteral("Atenção"));
        EXPECT_EQ(answer.dialogs[0].buttons, QStringList{QStringLiteral("&Ok")});
        EXPECT_EQ(QApplication::focusWidget(), w->edtCpfCnpj);
        EXPECT_EQ(vars().vCpfCnpj, "anterior");
        EXPECT_EQ(vars().vTipoDocumento, "tipo");
        EXPECT_EQ(vars().vCpfCnpjFormatado, "formatado");
        // Every further attempt to leave is refused once, without looping.
        QTest::keyClick(w->edtCpfCnpj, Qt::Key_Tab);
        EXPECT_EQ(answer.dialogs.size(), 2u);
        EXPECT_EQ(QApplication::focusWidget(), w->edtCpfCnpj);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DocumentExit, ::testing::ValuesIn(documentCases));

// Switching the type changes only the mask; a blank type leaves the field without one, silently.
TEST_F(Participant, TypeSwitchChangesOnlyTheMask)
{
    test::DialogAnswerer answer;
    enterDocument(QStringLiteral("CNPJ"), QStringLiteral("11222333000181"));
    ASSERT_EQ(vars().vCpfCnpj, "11222333000181");
    w->edtTipoDocumento->setFocus();
    w->edtTipoDocumento->setCurrentText(QStringLiteral("CPF"));
    w->mmObs->setFocus();
    EXPECT_EQ(edtCpfCnpj()->editMask(), mask(proposal::cpfMask));
    EXPECT_EQ(vars().vCpfCnpj, "11222333000181");
    EXPECT_EQ(vars().vTipoDocumento, "CNPJ");
    EXPECT_EQ(vars().vCpfCnpjFormatado, "11.222.333/0001-81");

    w->edtTipoDocumento->setFocus();
    w->edtTipoDocumento->setCurrentIndex(-1);
    w->mmObs->setFocus();
    EXPECT_FALSE(edtCpfCnpj()->isMasked());
    EXPECT_TRUE(answer.dialogs.empty());
    EXPECT_EQ(vars().vTipoDocumento, "CNPJ");
}

// Refused on leaving by a click on "Imprimir" too: the warning once, the focus back.
TEST_F(Participant, RefusalWhenLeavingForACommandButton)
{
    test::DialogAnswerer answer;
    w->edtCpfCnpj->setFocus();
    QTest::keyClicks(w->edtCpfCnpj, QStringLiteral("33333333333333"));
    w->bbtSalvar->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(answer.dialogs.size(), 1u);
    EXPECT_EQ(QApplication::focusWidget(), w->edtCpfCnpj);
}

// While saving runs the commands are disabled, their shortcuts included; the participant panel
// and the grid are not touched.
TEST_F(Participant, ProHabilitaCamposSwitchesTheCommandsAndTheirKeys)
{
    fill(3, {{1, 1, "a"}, {2, 2, "b"}, {3, 3, "c"}});
    std::map<QAction*, int> fired;
    const QList<QAction*> actions = {w->ActPrimeiroProposta, w->ActAnteriorProposta, w->ActProximoProposta,
                                     w->ActUltimoProposta,   w->ActSalvarProposta,   w->ActImprimirProposta,
                                     w->ActSairProposta};
    for (QAction* a : actions)
        QObject::connect(a, &QAction::triggered, [&fired, a] { ++fired[a]; });
    QWidget* const commands[] = {w->btnPrimeiro, w->btnProximo, w->btnAnterior, w->btnUltimo, w->bbtSalvar,
                                 w->bbtImprimir, w->bbtSair,    w->edtValidade, w->edtProposta, w->mmObs,
                                 w->chkTimbrado};

    w->proHabilitaCampos(false);
    for (QWidget* c : commands)
        EXPECT_FALSE(c->isEnabled()) << c->metaObject()->className();
    for (QWidget* f : fields())
        EXPECT_TRUE(f->isEnabled());
    EXPECT_TRUE(grid().isEnabled());
    w->edtNmFornecedor->setFocus();
    for (const char* k : {"F5", "F6", "F7", "F8", "Ctrl+S", "Ctrl+I", "Ctrl+F4"})
        QTest::keySequence(w.data(), QKeySequence(QLatin1String(k)));
    QTest::mouseClick(w->btnUltimo, Qt::LeftButton);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(w->cdsProposta.asInteger("NO_LOTE"), 1);
    EXPECT_TRUE(w->isVisible());

    w->proHabilitaCampos(true);
    for (QWidget* c : commands)
        EXPECT_TRUE(c->isEnabled());
    QTest::keyClick(w.data(), Qt::Key_F8);
    EXPECT_EQ(fired[w->ActUltimoProposta], 1);
    EXPECT_EQ(w->cdsProposta.asInteger("NO_LOTE"), 3);
    // A grey navigation button keeps its key working afterwards, as usual.
    EXPECT_FALSE(w->btnProximo->isEnabled());
    EXPECT_TRUE(w->ActProximoProposta->isEnabled());
}
