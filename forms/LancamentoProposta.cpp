#include "forms/LancamentoProposta.h"

#include "editors/dateedit.h"
#include "editors/maskededit.h"
#include "grid/datagrid.h"

#include "proposal/document.h"
#include "proposal/filename.h"
#include "proposal/pricing.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "report/printing.h"
#include "report/propostareport.h"
#include "reportengine/reportpreview.h"
#include "resources/resources.h"
#include "qtext/qtext.h"
#include "text/cp1252.h"
#include "text/numbers.h"
#include "widgets/dbtext.h"
#include "widgets/iconbutton.h"
#include "widgets/messagedialog.h"
#include "widgets/modal.h"
#include "widgets/progressbar.h"
#include "widgets/screen.h"
#include "widgets/statusbar.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

#include <functional>

namespace ofx::forms {

bool vCarregarArquivo = false;

namespace {

namespace field = proposal::field;

using qtext::fromCp1252;
using qtext::toCp1252;

QLabel* label(const QString& text, QWidget* parent, int left, int top)
{
    auto* l = new QLabel(text, parent);
    l->move(left, top);
    l->adjustSize();
    return l;
}

template <class W>
W* placed(W* widget, int left, int top, int width, int height = 21)
{
    widget->setGeometry(left, top, width, height);
    return widget;
}

// Disabled editors that keep the normal text colour (saving disables them for a while).
void keepTextColourWhenDisabled(QWidget* w)
{
    QPalette p = w->palette();
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, p.color(QPalette::Active, role));
    w->setPalette(p);
}

// The participant panel's flat look: the same grey field whether enabled or not, so a locked
// field reads like an editable one; the text edits lighten under the mouse.
const char* participantStyle =
    "QLineEdit, QComboBox { background: #E2E2E2; border: 1px solid #515151; color: black;"
    " padding: 0 2px; }"
    "QLineEdit:disabled, QComboBox:disabled { background: #E2E2E2; color: black; }"
    "QLineEdit:hover:enabled { background: palette(window); color: black; }"
    "QComboBox { padding: 0 0 0 1px; }";  // "CNPJ" whole in its 49-pixel drop-down

const char* greyMemoStyle =
    "QPlainTextEdit { background: #E2E2E2; border: 1px solid #515151; color: black; }";


// Runs a field's exit handler when the keyboard focus leaves the field for another control of
// the window. Not when the window merely loses the activation (a dialog opens, the user turns to
// another application) nor when a popup of the field opens (the drop-down list of a combo box):
// the window's focus stays on the field then, and the field is left only later, if at all.
// A handler is not re-entered by the focus moves of its own message dialog.
class ExitWatcher : public QObject {
public:
    static constexpr const char* name = "participantExitWatcher";

    explicit ExitWatcher(QObject* parent) : QObject(parent) { setObjectName(QLatin1String(name)); }

    void watch(QWidget* field, std::function<void()> onExit)
    {
        field->installEventFilter(this);
        entries_.insert(field, Entry{std::move(onExit), false});
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FocusOut)
            return false;
        auto it = entries_.find(watched);
        if (it == entries_.end() || it->running)
            return false;
        auto* field = static_cast<QWidget*>(watched);
        const QWidget* now = field->window()->focusWidget();
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason || now == field
            || (now && field->isAncestorOf(now)))
            return false;
        const std::function<void()> handler = it->onExit;
        it->running = true;
        handler();
        it = entries_.find(watched);
        if (it != entries_.end())
            it->running = false;
        return false;
    }

private:
    struct Entry {
        std::function<void()> onExit;
        bool running = false;
    };
    QHash<QObject*, Entry> entries_;
};

// A unit value or a discount typed in the grid. The exchange file has no form for a negative
// number (its zero-filling puts the zeros in front of the minus sign, which no reader takes
// back as that number) nor for more than 12 integer digits (values are written with 12
// significant digits in 17 characters), so such input is refused as it is typed.
bool priceInputFits(const grid::CurrencyInput& input)
{
    return !input.negative && input.integerDigits <= 12;
}

// A discount is a percentage of the price: above 100 it is no discount the public body can take.
QString discountFits(double percent)
{
    if (percent <= 100.0)
        return {};
    return QStringLiteral("O percentual de desconto %1 passa de 100%. Informe um desconto de 0 a 100.")
        .arg(QString::fromStdString(num::formatPattern(percent, "##0.0000")));
}

// Report item order set by a click on a column header; other headers set none.
struct HeaderOrder {
    const char* column;
    const char* order;
};
constexpr HeaderOrder headerOrders[] = {
    {"dbgItensDadosColumn11", "NO_LOTE;CD_LCTO"},  // dbgItensDadosColumn11HeaderClick, "Lançamento"
    {"dbgItensDadosColumn1", "NO_LOTE;CD_ITEM"},   // dbgItensDadosColumn1HeaderClick, "Código"
    {"dbgItensDadosColumn2", "NO_LOTE;DS_ITEM"},   // dbgItensDadosColumn2HeaderClick, "Item"
};

}  // namespace

TFLancamentoProposta::TFLancamentoProposta(QWidget* parent) : TFPadraoGeral(parent)
{
    setObjectName(QStringLiteral("FLancamentoProposta"));
    setWindowTitle(QStringLiteral("Bravin - Ofertix"));
    setClientSize(846, 680);
    for (int i = 0; i < resources::propostaImageCount; ++i)
        imgCadastroProposta.add(resources::propostaImage(i));
    buildActions();
    buildLayout();
    FormCreate();
}

TFLancamentoProposta::~TFLancamentoProposta()
{
    // The fields' exit handlers must not run while the window's controls go (their focus moves
    // as they are destroyed), and the grid must let go of the items table before it goes.
    delete findChild<QObject*>(QLatin1String(ExitWatcher::name), Qt::FindDirectChildrenOnly);
    dbgItensDados->setTable(nullptr);
    // The tables' handlers may point into this window; they must not run while it goes.
    cdsProposta.afterScroll = {};
    cdsLote.afterScroll = {};
    cdsBuscaItens.afterScroll = {};
}

void TFLancamentoProposta::buildActions()
{
    struct Def {
        QAction** action;
        const char* name;
        const char* hint;
        int image;  // -1: no icon
        QKeySequence shortcut;
        void (TFLancamentoProposta::*execute)();
    };
    const Def defs[] = {
        {&ActPrimeiroProposta, "ActPrimeiroProposta", "Primeiro lote", 0, QKeySequence(Qt::Key_F5),
         &TFLancamentoProposta::ActPrimeiroPropostaExecute},
        {&ActAnteriorProposta, "ActAnteriorProposta", "Lote anterior", 1, QKeySequence(Qt::Key_F6),
         &TFLancamentoProposta::ActAnteriorPropostaExecute},
        {&ActProximoProposta, "ActProximoProposta", "Próximo lote", 2, QKeySequence(Qt::Key_F7),
         &TFLancamentoProposta::ActProximoPropostaExecute},
        {&ActUltimoProposta, "ActUltimoProposta", "Último lote", 3, QKeySequence(Qt::Key_F8),
         &TFLancamentoProposta::ActUltimoPropostaExecute},
        {&ActSalvarProposta, "ActSalvarProposta", "Salvar proposta", 7, QKeySequence(Qt::CTRL | Qt::Key_S),
         &TFLancamentoProposta::ActSalvarPropostaExecute},
        {&ActLimparProposta, "ActLimparProposta", "Limpar", -1, QKeySequence(Qt::CTRL | Qt::Key_L),
         &TFLancamentoProposta::ActLimparPropostaExecute},
        {&ActImprimirProposta, "ActImprimirProposta", "Imprimir proposta", 13, QKeySequence(Qt::CTRL | Qt::Key_I),
         &TFLancamentoProposta::ActImprimirPropostaExecute},
        {&ActSairProposta, "ActSairProposta", "Sair", 12, QKeySequence(Qt::CTRL | Qt::Key_F4),
         &TFLancamentoProposta::ActSairPropostaExecute},
    };
    for (const Def& d : defs) {
        auto* action = new QAction(this);
        action->setObjectName(QLatin1String(d.name));
        action->setToolTip(QString::fromUtf8(d.hint));
        action->setIcon(imgCadastroProposta.icon(d.image));
        action->setShortcut(d.shortcut);
        addAction(action);  // window-wide shortcut
        const auto execute = d.execute;
        connect(action, &QAction::triggered, this, [this, execute] { run([this, execute] { (this->*execute)(); }); });
        *d.action = action;
        ActListaProposta.append(action);
    }
}

void TFLancamentoProposta::buildLayout()
{
    cxImage2 = placed(new QLabel(this), 0, 0, 846, 108);
    cxImage2->setPixmap(resources::entryBanner());
    cxImage2->setFocusPolicy(Qt::NoFocus);
    cxImage2->setAttribute(Qt::WA_TransparentForMouseEvents);

    grbLancamento = placed(new QGroupBox(QStringLiteral("Lançamento das propostas para os itens da licitação"), this),
                           0, 108, 846, 550);
    grbLancamento->setObjectName(QStringLiteral("grbLancamento"));
    // Framed groups, the caption set into the frame's top line.
    grbLancamento->setStyleSheet(QStringLiteral(
        "QGroupBox#grbLancamento { border: 1px solid #8E8E8E; border-radius: 3px; margin-top: 6px; }"
        "QGroupBox#grbLancamento::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 3px; }"));
    QWidget* g = grbLancamento;

    // Participant panel.
    grbParticipante = placed(new QGroupBox(g), 3, 12, 839, 78);
    grbParticipante->setObjectName(QStringLiteral("grbParticipante"));
    grbParticipante->setStyleSheet(QLatin1String(participantStyle)
                                   + QStringLiteral("QGroupBox#grbParticipante { border: 1px solid #8E8E8E;"
                                                    " border-radius: 3px; }"));
    QWidget* pp = grbParticipante;
    lblParticipante = label(QStringLiteral("Participante:"), pp, 11, 10);
    edtCdFornecedor = placed(new QLineEdit(pp), 76, 9, 104);
    edtCdFornecedor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtNmFornecedor = placed(new QLineEdit(pp), 181, 9, 435);
    edtTipoDocumento = placed(new QComboBox(pp), 617, 9, 49);
    edtTipoDocumento->addItems({QStringLiteral("CPF"), QStringLiteral("CNPJ")});
    edtTipoDocumento->setCurrentIndex(1);
    lblInscricao = label(QStringLiteral("Inscrição:"), pp, 667, 11);
    // No mask until loading or the type field sets one; unmasked it takes 14 characters (a
    // mask sets its own length: the display form has 14 or 18).
    edtCpfCnpj = placed(new editors::MaskedEdit(pp), 717, 9, 118);
    edtCpfCnpj->setMaxLength(14);
    lblEndereco = label(QStringLiteral("Endereço:"), pp, 23, 33);
    edtEndereco = placed(new QLineEdit(pp), 76, 31, 540);
    lblNumeroEndereco = label(QStringLiteral("Nº.:"), pp, 617, 33);
    edtNumero = placed(new QLineEdit(pp), 639, 31, 76);
    edtNumero->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCEP = label(QStringLiteral("CEP:"), pp, 717, 33);
    edtCEP = placed(new editors::MaskedEdit(pp), 744, 31, 91);
    edtCEP->setEditMask(QStringLiteral("99.999-999;1;_"));
    edtCEP->setText(QStringLiteral("  .   -   "));
    lblBairro = label(QStringLiteral("Bairro:"), pp, 40, 57);
    edtBairro = placed(new QLineEdit(pp), 76, 53, 319);
    lblCidade = label(QStringLiteral("Cidade:"), pp, 397, 57);
    edtCidade = placed(new QLineEdit(pp), 437, 53, 330);
    lblUF = label(QStringLiteral("UF:"), pp, 769, 57);
    edtUF = placed(new QComboBox(pp), 790, 53, 45);
    edtUF->addItems({"AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA", "MT", "MS", "MG", "PA",
                     "PB", "PR", "PE", "PI", "RJ", "RN", "RS", "RO", "RR", "SC", "SP", "SE", "TO"});
    edtUF->setCurrentIndex(-1);
    for (QWidget* w : std::initializer_list<QWidget*>{edtCdFornecedor, edtNmFornecedor, edtTipoDocumento, edtCpfCnpj,
                                                      edtEndereco, edtNumero, edtCEP, edtBairro, edtCidade, edtUF})
        w->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{edtCdFornecedor, edtNmFornecedor, edtTipoDocumento, edtCpfCnpj,
                                                      edtEndereco, edtNumero, edtCEP, edtBairro, edtCidade, edtUF})
        w->setToolTip(QString());
    auto* exits = new ExitWatcher(this);
    const std::pair<QWidget*, void (TFLancamentoProposta::*)()> exitHandlers[] = {
        {edtNmFornecedor, &TFLancamentoProposta::edtNmFornecedorExit},
        {edtTipoDocumento, &TFLancamentoProposta::edtTipoDocumentoExit},
        {edtCpfCnpj, &TFLancamentoProposta::edtCpfCnpjExit},
        {edtEndereco, &TFLancamentoProposta::edtEnderecoExit},
        {edtNumero, &TFLancamentoProposta::edtNumeroExit},
        {edtCEP, &TFLancamentoProposta::edtCEPExit},
        {edtBairro, &TFLancamentoProposta::edtBairroExit},
        {edtCidade, &TFLancamentoProposta::edtCidadeExit},
        {edtUF, &TFLancamentoProposta::edtUFExit},
    };
    for (const auto& [field, handler] : exitHandlers)
        exits->watch(field, [this, handler = handler] { run([this, handler] { (this->*handler)(); }); });
    for (QLineEdit* e : {edtNmFornecedor, static_cast<QLineEdit*>(edtCpfCnpj), edtEndereco, edtNumero,
                         static_cast<QLineEdit*>(edtCEP), edtBairro, edtCidade})
        connect(e, &QLineEdit::textEdited, this, [this] { FAlterada = true; });
    for (QComboBox* c : {edtTipoDocumento, edtUF})
        connect(c, &QComboBox::activated, this, [this] { FAlterada = true; });

    // Lot header and dates.
    lblModalidade = label(QStringLiteral("Modalidade:"), g, 17, 95);
    dbtModalidade = placed(new widgets::DBText(g), 79, 93, 104);
    lblNumero = label(QStringLiteral("Número:"), g, 224, 94);
    dbtNumero = placed(new widgets::DBText(g), 268, 93, 43);
    lblAno = label(QStringLiteral("Ano:"), g, 317, 94);
    dbtAno = placed(new widgets::DBText(g), 343, 93, 34);
    lblValidadeProposta = label(QStringLiteral("Validade da proposta:"), g, 414, 94);
    edtValidade = placed(new editors::DateEdit(g), 522, 93, 94);
    lblPrazoEntregaExecucao = label(QStringLiteral("Prazo entrega/execução:"), g, 619, 94);
    edtProposta = placed(new editors::DateEdit(g), 744, 93, 94);
    lblLote = label(QStringLiteral("Lote:"), g, 50, 117);
    dbtNumLote = placed(new widgets::DBText(g), 79, 115, 104);
    dbtDescLote = placed(new widgets::DBText(g), 184, 115, 654);
    for (widgets::DBText* t : {dbtModalidade, dbtNumero, dbtAno, dbtNumLote, dbtDescLote}) {
        t->setEnabled(false);
        t->setFocusPolicy(Qt::NoFocus);
    }

    dbgItens = placed(new QFrame(g), 3, 140, 839, 274);
    dbgItens->setObjectName(QStringLiteral("dbgItens"));
    dbgItens->setFrameShape(QFrame::StyledPanel);
    dbgItens->setFocusPolicy(Qt::StrongFocus);
    auto* gridLayout = new QVBoxLayout(dbgItens);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    buildItemGrid();

    lblDescricao = label(QStringLiteral("Descrição do Item:"), g, 5, 416);
    mmDescricao = placed(new QPlainTextEdit(g), 100, 415, 738, 36);
    mmDescricao->setReadOnly(true);
    mmDescricao->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmDescricao->setTabChangesFocus(true);
    mmDescricao->setStyleSheet(QLatin1String(greyMemoStyle));
    lblObservacoes = label(QStringLiteral("Observações:"), g, 28, 453);
    mmObs = placed(new QPlainTextEdit(g), 100, 452, 738, 32);
    mmObs->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmObs->setTabChangesFocus(true);
    chkTimbrado = placed(new QCheckBox(QStringLiteral("Emissão do relatório em papel timbrado"), g), 91, 485, 220, 17);
    for (QWidget* w : std::initializer_list<QWidget*>{edtValidade, edtProposta, mmObs, chkTimbrado})
        keepTextColourWhenDisabled(w);
    for (editors::DateEdit* d : {edtValidade, edtProposta})
        connect(d, &QLineEdit::textEdited, this, [this] { FAlterada = true; });

    auto button = [this, g](int left, QAction* action) {
        auto* b = placed(new widgets::IconButton(g), left, 504, 36, 36);
        b->setIconSize(QSize(32, 32));
        b->setAction(action);
        return b;
    };
    bbtSalvar = button(9, ActSalvarProposta);
    bbtImprimir = button(189, ActImprimirProposta);
    btnPrimeiro = button(45, ActPrimeiroProposta);
    btnAnterior = button(81, ActAnteriorProposta);
    btnProximo = button(117, ActProximoProposta);
    btnUltimo = button(153, ActUltimoProposta);
    bbtSair = button(802, ActSairProposta);

    dxStatusBar = placed(new widgets::PanelStatusBar(this), 0, 658, 846, 22);
    dxStatusBar->addPanel(440, resources::copyrightNotice());
    dxStatusBar->addPanel(290);
    dxStatusBar->addPanel(-1, resources::versionText());
    pgbStatus = placed(new widgets::ProgressBar(this), 449, 659, 284, 20);
    pgbStatus->raise();

    // Each label's text on the line of its field's text.
    const std::pair<QLabel*, QWidget*> labelled[] = {
        {lblParticipante, edtCdFornecedor}, {lblInscricao, edtCpfCnpj}, {lblEndereco, edtEndereco},
        {lblNumeroEndereco, edtNumero}, {lblCEP, edtCEP}, {lblBairro, edtBairro}, {lblCidade, edtCidade},
        {lblUF, edtUF}, {lblModalidade, dbtModalidade}, {lblNumero, dbtNumero}, {lblAno, dbtAno},
        {lblValidadeProposta, edtValidade}, {lblPrazoEntregaExecucao, edtProposta}, {lblLote, dbtNumLote}};
    for (const auto& [l, f] : labelled) {
        l->setGeometry(l->x(), f->y(), l->width(), f->height());
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    // Beside a memo, on the line of its first row of text.
    for (const auto& [l, m] : {std::pair<QLabel*, QPlainTextEdit*>{lblDescricao, mmDescricao}, {lblObservacoes, mmObs}})
        l->move(l->x(), m->y() + m->frameWidth() + int(m->document()->documentMargin()) - 1);

    const QWidget* order[] = {edtCdFornecedor, edtNmFornecedor, edtTipoDocumento, edtCpfCnpj, edtEndereco,
                              edtNumero, edtCEP, edtBairro, edtCidade, edtUF,
                              dbtModalidade, dbtNumero, dbtAno, edtValidade, edtProposta, dbtNumLote,
                              dbtDescLote, dbgItensDados->view(), mmDescricao, mmObs, chkTimbrado, bbtSalvar,
                              bbtImprimir, btnPrimeiro, btnAnterior, btnProximo, btnUltimo, bbtSair};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void TFLancamentoProposta::buildItemGrid()
{
    using grid::EditorKind;
    using grid::FooterKind;
    using grid::GridColumn;
    const QString money = QStringLiteral("R$ ###,###,##0.0000");
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const auto text = [](std::string_view f) { return std::string(f); };

    dbgItensDados = new grid::DataGrid;
    dbgItensDados->setObjectName(QStringLiteral("dbgItensDados"));
    dbgItensDados->setEmptyText(QStringLiteral("Não há dados para exibir"));
    // The columns' widths are their own: no stretching of the last one.
    dbgItensDados->view()->horizontalHeader()->setStretchLastSection(false);
    const GridColumn columns[] = {
        {.name = "dbgItensDadosColumn8", .caption = "Lote", .field = text(field::NO_LOTE), .visible = false,
         .editable = false, .focusable = false},
        {.name = "dbgItensDadosColumn11", .caption = QStringLiteral("Lançamento"), .field = text(field::CD_LCTO),
         .width = 78, .editable = false, .headerAlignment = Qt::AlignLeft | Qt::AlignVCenter},
        {.name = "dbgItensDadosColumn1", .caption = QStringLiteral("Código"), .field = text(field::CD_ITEM),
         .width = 50, .editable = false, .focusable = false, .grey = true},
        {.name = "dbgItensDadosColumn2", .caption = "Item", .field = text(field::DS_ITEM), .width = 215,
         .bestFitMax = 244, .editable = false, .focusable = false, .grey = true},
        {.name = "dbgItensDadosColumn7", .caption = "Marca", .field = text(field::DS_MARCA), .width = 187},
        {.name = "dbgItensDadosColumn6", .caption = "Unidade", .field = text(field::UN_MEDIDA), .width = 60,
         .editable = false, .focusable = false, .grey = true},
        {.name = "dbgItensDadosColumn3", .caption = "Quantidade", .field = text(field::QT_ITEM), .width = 90,
         .editable = false, .focusable = false, .grey = true, .alignment = right,
         .displayFormat = "###,###,##0.0000", .editor = EditorKind::Currency},
        {.name = "dbgItensDadosColumn4", .caption = QStringLiteral("Valor unitário"),
         .field = text(field::VL_UNITARIO), .width = 115, .alignment = right, .displayFormat = money,
         .editor = EditorKind::Currency, .decimals = 4, .inputConstraint = priceInputFits,
         .footer = FooterKind::Text, .footerText = "Total da Proposta:"},
        {.name = "dbgItensDadosColumn9", .caption = "% Desc.", .field = text(field::PERC_DESC), .width = 50,
         .alignment = right, .displayFormat = "##0.0000", .editor = EditorKind::Currency, .decimals = 7,
         .formatWhileEditing = true, .inputConstraint = priceInputFits, .commitCheck = discountFits},
        {.name = "dbgItensDadosColumn10", .caption = "Valor Desc.", .field = text(field::VLR_DESC), .width = 100,
         .editable = false, .focusable = false, .alignment = right, .displayFormat = money,
         .editor = EditorKind::Currency},
        {.name = "dbgItensDadosColumn5", .caption = "Valor total", .field = text(field::VL_TOTAL), .width = 120,
         .editable = false, .focusable = false, .grey = true, .alignment = right, .displayFormat = money,
         .editor = EditorKind::Currency, .footer = FooterKind::Sum, .footerFormat = money},
    };
    for (const GridColumn& c : columns)
        dbgItensDados->addColumn(c);
    replaceItemGrid(dbgItensDados);

    connect(dbgItensDados, &grid::DataGrid::headerClicked, this, [this](int c) {
        const QString name = dbgItensDados->column(c).name;
        for (const HeaderOrder& h : headerOrders)
            if (name == QLatin1String(h.column))
                vOrdemItens = h.order;
    });
    // Shown once the operation that failed has unwound (a re-read may fail inside a move of the
    // items table), as the application's default error message.
    connect(dbgItensDados, &grid::DataGrid::errorOccurred, this, [this](const QString& message) {
        QMetaObject::invokeMethod(
            this,
            [this, message] { widgets::messageDlg(message, widgets::MsgKind::Error, widgets::MsgButton::OK, this); },
            Qt::QueuedConnection);
    });
    // A cell text that is no number: said once the event that closed the editor is over (the
    // command that closed it does not run).
    connect(dbgItensDados, &grid::DataGrid::inputRefused, this, [this](const QString& message) {
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                widgets::messageDlg(message, widgets::MsgKind::Warning, widgets::MsgButton::OK, this);
                dbgItensDados->setFocus(Qt::OtherFocusReason);  // back on the cell to type again
            },
            Qt::QueuedConnection);
    });
    connect(dbgItensDados, &grid::DataGrid::cellEdited, this, [this] { FAlterada = true; });
    // The description follows the item under the cursor, also when the user moves from row to
    // row without changing anything (no re-read then).
    const auto showDescription = [this] {
        if (FProposta.hasCurrentItem())
            mmDescricao->setPlainText(fromCp1252(FProposta.currentDescription()));
    };
    connect(dbgItensDados->view()->selectionModel(), &QItemSelectionModel::currentRowChanged, this, showDescription);
    connect(dbgItensDados->model(), &grid::TableModel::cursorMoved, this, showDescription);
}

void TFLancamentoProposta::FormCreate()
{
    vCarregarArquivo = true;
    // The open proposal made its tables, empty.
    bindControls();
}

void TFLancamentoProposta::bindControls()
{
    dtsProposta.setTable(&cdsProposta);
    dtsLote.setTable(&cdsLote);
    const std::pair<widgets::DBText*, std::string_view> bindings[] = {
        {dbtModalidade, field::TP_MODALIDADE}, {dbtNumero, field::NO_LICITACAO}, {dbtAno, field::AA_LICITACAO},
        {dbtNumLote, field::NO_LOTE},          {dbtDescLote, field::DS_LOTE},
    };
    for (const auto& [control, name] : bindings) {
        control->setDataField(std::string(name));
        control->setDataSource(&dtsProposta);
    }
    dbgItensDados->setTable(&cdsLote);
    // Loading attaches the same handler again; saving detaches it while it walks the items.
    cdsLote.afterScroll = [this](data::MemTable&) { cdsLoteAfterScroll(); };
    proModoPrecificacao(proposal::PricingMode::Price);
}

void TFLancamentoProposta::replaceItemGrid(QWidget* grid)
{
    dbgItens->layout()->addWidget(grid);
    dbgItens->setFocusPolicy(Qt::NoFocus);
    dbgItens->setFocusProxy(grid);
}

void TFLancamentoProposta::FormActivate()
{
    // The flag is cleared before loading: a message that loading shows re-activates the window
    // when it closes, and that activation must not load again.
    if (vCarregarArquivo) {
        vCarregarArquivo = false;
        proCarregarArquivo();
    }
    if (edtNmFornecedor->isEnabled())
        edtNmFornecedor->setFocus(Qt::ActiveWindowFocusReason);
    else
        edtValidade->setFocus(Qt::ActiveWindowFocusReason);
}


void TFLancamentoProposta::FormClose(CloseAction& action)
{
    TFPadraoGeral::FormClose(action);
}

void TFLancamentoProposta::closeEvent(QCloseEvent* event)
{
    // What is being typed ends first (a cell refused keeps the window open), then a proposal
    // changed since it was opened or saved is not thrown away without a question.
    if (!proEncerraEdicao(bbtSair)
        || (proPropostaAlterada()
            && widgets::messageDlg(QStringLiteral("A proposta foi alterada e não foi salva. Deseja sair sem salvar?"),
                                   widgets::MsgKind::Confirmation, widgets::MsgButton::Yes | widgets::MsgButton::No,
                                   this, widgets::MsgButton::No)
                   != widgets::MsgButton::Yes)) {
        event->ignore();
        return;
    }
    CloseAction action = CloseAction::Hide;
    FormClose(action);
    applyCloseAction(action, event);
}

bool TFLancamentoProposta::event(QEvent* event)
{
    const bool result = TFPadraoGeral::event(event);
    // Only when the window becomes the program's active window: not when the user comes back
    // from another application, nor when a system message box closes.
    if (event->type() == QEvent::WindowActivate && widgets::isProgramActivation(this))
        run([this] { FormActivate(); });
    return result;
}

bool TFLancamentoProposta::proEncerraEdicao(QWidget* destino)
{
    // Not the active window (the program is quitting, a test drives it): nothing has the focus
    // to give up but an open cell.
    if (!isActiveWindow() || !destino->isEnabled())
        return dbgItensDados->commitEditing();
    destino->setFocus(Qt::OtherFocusReason);
    return destino->hasFocus() && !dbgItensDados->isEditing();
}

bool TFLancamentoProposta::proPropostaAlterada() const
{
    return !FArquivoInvalido && (FAlterada || mmObs->document()->isModified());
}

void TFLancamentoProposta::proMarcaSalva()
{
    FAlterada = false;
    mmObs->document()->setModified(false);
}

// --- actions: each only calls its click handler ----------------------------------------

void TFLancamentoProposta::ActPrimeiroPropostaExecute() { btnPrimeiroClick(); }
void TFLancamentoProposta::ActAnteriorPropostaExecute() { btnAnteriorClick(); }
void TFLancamentoProposta::ActProximoPropostaExecute() { btnProximoClick(); }
void TFLancamentoProposta::ActUltimoPropostaExecute() { btnUltimoClick(); }
void TFLancamentoProposta::ActSalvarPropostaExecute() { bbtSalvarClick(); }
void TFLancamentoProposta::ActLimparPropostaExecute() { btnLimparClick(); }
void TFLancamentoProposta::ActImprimirPropostaExecute() { bbtImprimirClick(); }
void TFLancamentoProposta::ActSairPropostaExecute() { bbtSairClick(); }

// --- lot navigation ----------------------------------------------------------------------

void TFLancamentoProposta::btnPrimeiroClick()
{
    if (!dbgItensDados->commitEditing())
        return;
    FProposta.move(proposal::OpenProposal::Move::First);
    cdsPropostaAfterScroll();
    proNavegacao(QStringLiteral("nbFirst"));
}

void TFLancamentoProposta::btnAnteriorClick()
{
    if (!dbgItensDados->commitEditing())
        return;
    FProposta.move(proposal::OpenProposal::Move::Prior);
    proNavegacao(QStringLiteral("nbPrior"));
    cdsPropostaAfterScroll();
}

void TFLancamentoProposta::btnProximoClick()
{
    if (!dbgItensDados->commitEditing())
        return;
    FProposta.move(proposal::OpenProposal::Move::Next);
    proNavegacao(QStringLiteral("nbNext"));
    cdsPropostaAfterScroll();
}

void TFLancamentoProposta::btnUltimoClick()
{
    if (!dbgItensDados->commitEditing())
        return;
    FProposta.move(proposal::OpenProposal::Move::Last);
    cdsPropostaAfterScroll();
    proNavegacao(QStringLiteral("nbLast"));
}

void TFLancamentoProposta::proNavegacao(const QString& position)
{
    bool backward;
    bool forward;
    if (position == QLatin1String("nbFirst")) {
        backward = false;
        forward = true;
    } else if (position == QLatin1String("nbPrior")) {
        backward = !FProposta.atFirst();
        forward = true;
    } else if (position == QLatin1String("nbNext")) {
        backward = true;
        forward = !FProposta.atLast();
    } else if (position == QLatin1String("nbLast")) {
        backward = true;
        forward = false;
    } else {
        return;
    }
    btnPrimeiro->setEnabled(backward);
    btnAnterior->setEnabled(backward);
    btnProximo->setEnabled(forward);
    btnUltimo->setEnabled(forward);
}

void TFLancamentoProposta::cdsPropostaAfterScroll()
{
    // Closing drops an unposted edit of the current item (nothing after a failed load).
    if (FProposta.showLot())
        mmDescricao->setPlainText(fromCp1252(FProposta.currentDescription()));
}

// --- commands of their own parts ------------------------------------------------------------

// --- participant panel and item grid -------------------------------------------------------

void TFLancamentoProposta::proHabilitaCampos(bool enabled)
{
    // A button and its action go together here, so that the shortcut of a disabled command does
    // not act either (at other times a grey navigation button keeps its key working).
    for (widgets::IconButton* b : {btnPrimeiro, btnProximo, btnAnterior, btnUltimo, bbtSalvar, bbtImprimir, bbtSair}) {
        b->setEnabled(enabled);
        if (QAction* a = b->action())
            a->setEnabled(enabled);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{edtValidade, edtProposta, mmObs, chkTimbrado})
        w->setEnabled(enabled);
}

void TFLancamentoProposta::proModoPrecificacao(proposal::PricingMode mode)
{
    FProposta.setMode(mode);
    const bool discount = mode == proposal::PricingMode::Discount;
    auto& g = *dbgItensDados;
    const int unitario = g.columnIndex(QStringLiteral("dbgItensDadosColumn4"));
    const int desconto = g.columnIndex(QStringLiteral("dbgItensDadosColumn9"));
    const int valorDesconto = g.columnIndex(QStringLiteral("dbgItensDadosColumn10"));
    g.setColumnEditable(unitario, !discount);
    g.setColumnFocusable(unitario, !discount);
    g.setColumnVisible(desconto, discount);
    g.setColumnEditable(desconto, discount);
    g.setColumnFocusable(desconto, discount);
    g.setColumnVisible(valorDesconto, discount);
    g.setColumnWidth(g.columnIndex(QStringLiteral("dbgItensDadosColumn7")), discount ? 130 : 187);
}

void TFLancamentoProposta::cdsLoteAfterScroll()
{
    // Only during a bulk pass over the items (a grid re-read, loading): a move of the cursor by
    // the user recomputes nothing by itself.
    if (!FProposta.inBulkPass())
        return;
    proposal::recomputeItemTotal(cdsLote);
    mmDescricao->setPlainText(fromCp1252(FProposta.currentDescription()));
}

// --- participant panel: each exit stores its field as typed ----------------------------------

void TFLancamentoProposta::edtNmFornecedorExit()
{
    proposal::processVariables().vNmFornecedor = toCp1252(edtNmFornecedor->text());
}

void TFLancamentoProposta::edtEnderecoExit()
{
    proposal::processVariables().vEndereco = toCp1252(edtEndereco->text());
}

void TFLancamentoProposta::edtNumeroExit()
{
    proposal::processVariables().vNumero = toCp1252(edtNumero->text());
}

void TFLancamentoProposta::edtCEPExit()
{
    // Punctuation included; an untouched field gives "  .   -   ".
    proposal::processVariables().vCEP = toCp1252(edtCEP->text());
}

void TFLancamentoProposta::edtBairroExit()
{
    proposal::processVariables().vBairro = toCp1252(edtBairro->text());
}

void TFLancamentoProposta::edtCidadeExit()
{
    proposal::processVariables().vCidade = toCp1252(edtCidade->text());
}

void TFLancamentoProposta::edtUFExit()
{
    proposal::processVariables().vUF = toCp1252(edtUF->currentText());
}

void TFLancamentoProposta::edtTipoDocumentoExit()
{
    // Only the document field's mask changes: the document and its type are stored when the
    // document field is left again.
    edtCpfCnpj->setEditMask(QString());
    const std::string mask = proposal::maskForType(toCp1252(edtTipoDocumento->currentText()));
    if (mask.empty())
        return;  // a blank type: the field stays without a mask, silently
    edtCpfCnpj->setEditMask(QString::fromStdString(mask));
}

void TFLancamentoProposta::edtCpfCnpjExit()
{
    const proposal::DocumentCheck check =
        proposal::checkDocument(toCp1252(edtCpfCnpj->text()), toCp1252(edtTipoDocumento->currentText()));
    edtCpfCnpj->setText(fromCp1252(check.fieldText));  // unfilled positions show as zeros
    if (!check.accepted) {
        widgets::messageDlg(fromCp1252(check.message), widgets::MsgKind::Warning, widgets::MsgButton::OK, this);
        edtCpfCnpj->setFocus(Qt::OtherFocusReason);
        return;
    }
    auto& vars = proposal::processVariables();
    vars.vCpfCnpj = check.stored;
    vars.vTipoDocumento = check.type;
    vars.vCpfCnpjFormatado = check.display;
}

// --- "Limpar" and printing ----------------------------------------------------------------

void TFLancamentoProposta::btnLimparClick()
{
    if (!dbgItensDados->commitEditing())
        return;
    const bool anything = FProposta.hasEntries() || !edtValidade->text().trimmed().isEmpty()
                          || !edtProposta->text().trimmed().isEmpty() || !mmObs->toPlainText().trimmed().isEmpty();
    if (anything
        && widgets::messageDlg(QStringLiteral("As marcas e os valores de todos os lotes, as datas e as observações serão "
                                              "apagados. Deseja continuar?"),
                               widgets::MsgKind::Confirmation, widgets::MsgButton::Yes | widgets::MsgButton::No, this,
                               widgets::MsgButton::No)
               != widgets::MsgButton::Yes)
        return;
    // Every item of every lot: brands emptied; the supplier's unit values (price mode) or
    // discounts (discount mode) zeroed; the public body's unit values stay.
    FProposta.clearEntries();
    mmDescricao->setPlainText(fromCp1252(FProposta.currentDescription()));
    mmObs->clear();
    edtProposta->clear();
    edtValidade->clear();
    chkTimbrado->setChecked(false);
    if (anything)
        FAlterada = true;
}

bool TFLancamentoProposta::proDatasValidas()
{
    const auto refusal = proposal::OpenProposal::dateRefusal(proCamposGravacao());
    return !refusal || proVerifica(*refusal);
}

void TFLancamentoProposta::bbtImprimirClick()
{
    // Ends any editing first, as the click on the button does: a participant field left stores
    // its value, the grid posts its open cell; a refusal there stops the print.
    if (!proEncerraEdicao(bbtImprimir))
        return;
    if (FArquivoInvalido) {
        widgets::systemMessageBox(QStringLiteral("Ofertix"), QStringLiteral("O formato do arquivo informado é inválido."),
                                  this);
        return;
    }
    if (!proDatasValidas())
        return;
    report::PrintEntries entries;
    entries.validade = toCp1252(edtValidade->text());
    entries.prazo = toCp1252(edtProposta->text());
    entries.observacoes = toCp1252(mmObs->toPlainText());
    entries.timbrado = chkTimbrado->isChecked();

    // Each print starts from the template as stored, over the report cursor.
    report::PropostaReport frrProposta(cdsBuscaItens);
    reportengine::Document document = report::preparePrint(frrProposta, proposal::processVariables(), entries,
                                                           vOrdemItens, cdsLote, cdsBuscaItens);
    reportengine::ReportPreview preview(std::move(document), &frrProposta.report(), this);
    preview.setSuggestedPdfPath(proCaminhoPdf());
    preview.maximize();
    widgets::execModal(preview);
}

void TFLancamentoProposta::bbtSairClick()
{
    close();
}

}  // namespace ofx::forms
