#include "forms/LancamentoProposta.h"

#include "editors/maskededit.h"

#include "proposal/tables.h"
#include "resources/resources.h"
#include "text/cp1252.h"
#include "widgets/dbtext.h"
#include "widgets/iconbutton.h"
#include "widgets/progressbar.h"
#include "widgets/screen.h"
#include "widgets/statusbar.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace ofx::forms {

bool vCarregarArquivo = false;

namespace {

namespace field = proposal::field;

QString fromCp1252(const std::string& text)
{
    return QString::fromStdString(text::cp1252ToUtf8(text));
}

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
    "QLineEdit:hover:enabled { background: palette(window); color: black; }";

const char* greyMemoStyle =
    "QPlainTextEdit { background: #E2E2E2; border: 1px solid #515151; color: black; }";

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
    QWidget* g = grbLancamento;

    // Participant panel.
    grbParticipante = placed(new QGroupBox(g), 3, 12, 839, 78);
    grbParticipante->setStyleSheet(QLatin1String(participantStyle));
    QWidget* pp = grbParticipante;
    lblParticipante = label(QStringLiteral("Participante:"), pp, 11, 10);
    edtCdFornecedor = placed(new QLineEdit(pp), 76, 9, 104);
    edtCdFornecedor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtNmFornecedor = placed(new QLineEdit(pp), 181, 9, 435);
    edtTipoDocumento = placed(new QComboBox(pp), 617, 9, 49);
    edtTipoDocumento->addItems({QStringLiteral("CPF"), QStringLiteral("CNPJ")});
    edtTipoDocumento->setCurrentIndex(1);
    lblInscricao = label(QStringLiteral("Inscrição:"), pp, 667, 11);
    // No length limit on the plain editor: the document's edit mask sets the length (the
    // display form has 14 or 18 characters).
    edtCpfCnpj = placed(new editors::MaskedEdit(pp), 717, 9, 118);
    lblEndereco = label(QStringLiteral("Endereço:"), pp, 23, 33);
    edtEndereco = placed(new QLineEdit(pp), 76, 31, 540);
    lblNumeroEndereco = label(QStringLiteral("Nº.:"), pp, 617, 33);
    edtNumero = placed(new QLineEdit(pp), 639, 31, 76);
    edtNumero->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCEP = label(QStringLiteral("CEP:"), pp, 717, 33);
    edtCEP = placed(new editors::MaskedEdit(pp), 744, 31, 91);
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

    // Lot header and dates.
    lblModalidade = label(QStringLiteral("Modalidade:"), g, 17, 95);
    dbtModalidade = placed(new widgets::DBText(g), 79, 93, 104);
    lblNumero = label(QStringLiteral("Número:"), g, 224, 94);
    dbtNumero = placed(new widgets::DBText(g), 268, 93, 43);
    lblAno = label(QStringLiteral("Ano:"), g, 317, 94);
    dbtAno = placed(new widgets::DBText(g), 343, 93, 34);
    lblValidadeProposta = label(QStringLiteral("Validade da proposta:"), g, 414, 94);
    edtValidade = placed(new QLineEdit(g), 522, 93, 94);
    lblPrazoEntregaExecucao = label(QStringLiteral("Prazo entrega/execução:"), g, 619, 94);
    edtProposta = placed(new QLineEdit(g), 744, 93, 94);
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

    const QWidget* order[] = {edtCdFornecedor, edtNmFornecedor, edtTipoDocumento, edtCpfCnpj, edtEndereco,
                              edtNumero, edtCEP, edtBairro, edtCidade, edtUF,
                              dbtModalidade, dbtNumero, dbtAno, edtValidade, edtProposta, dbtNumLote,
                              dbtDescLote, dbgItens, mmDescricao, mmObs, chkTimbrado, bbtSalvar,
                              bbtImprimir, btnPrimeiro, btnAnterior, btnProximo, btnUltimo, bbtSair};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void TFLancamentoProposta::FormCreate()
{
    vCarregarArquivo = true;
    proposal::createLotsTable(cdsProposta);
    proposal::createItemsTable(cdsLote);
    proposal::declareReportCursorIndexes(cdsBuscaItens);
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
    cdsProposta.first();
    cdsPropostaAfterScroll();
    proNavegacao(QStringLiteral("nbFirst"));
}

void TFLancamentoProposta::btnAnteriorClick()
{
    cdsProposta.prior();
    proNavegacao(QStringLiteral("nbPrior"));
    cdsPropostaAfterScroll();
}

void TFLancamentoProposta::btnProximoClick()
{
    cdsProposta.next();
    proNavegacao(QStringLiteral("nbNext"));
    cdsPropostaAfterScroll();
}

void TFLancamentoProposta::btnUltimoClick()
{
    cdsProposta.last();
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
        backward = !cdsProposta.bof();
        forward = true;
    } else if (position == QLatin1String("nbNext")) {
        backward = true;
        forward = !cdsProposta.eof();
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
    if (cdsProposta.controlsDisabled())
        return;
    // Closing drops an unposted edit of the current item.
    cdsLote.close();
    cdsLote.setFilter(proposal::lotFilter(cdsProposta.asText(field::NO_LOTE)));
    cdsLote.setFiltered(true);
    cdsLote.open();
    cdsLote.edit();
    mmDescricao->setPlainText(cdsLote.isEmpty() ? QString() : fromCp1252(cdsLote.asText(field::DS_ITEM)));
}

// --- commands of their own parts ------------------------------------------------------------

// --- participant panel and item grid -------------------------------------------------------

void TFLancamentoProposta::proHabilitaCampos(bool) {}
void TFLancamentoProposta::proModoPrecificacao(proposal::PricingMode) {}
void TFLancamentoProposta::cdsLoteAfterScroll() {}
void TFLancamentoProposta::edtNmFornecedorExit() {}
void TFLancamentoProposta::edtEnderecoExit() {}
void TFLancamentoProposta::edtNumeroExit() {}
void TFLancamentoProposta::edtCEPExit() {}
void TFLancamentoProposta::edtBairroExit() {}
void TFLancamentoProposta::edtCidadeExit() {}
void TFLancamentoProposta::edtUFExit() {}
void TFLancamentoProposta::edtTipoDocumentoExit() {}
void TFLancamentoProposta::edtCpfCnpjExit() {}

void TFLancamentoProposta::btnLimparClick()
{
    // "Limpar" (clearing all prices and the proposal's entries) is wired in here.
}

void TFLancamentoProposta::bbtImprimirClick()
{
    // Printing the proposal is wired in here.
}

void TFLancamentoProposta::bbtSairClick()
{
    close();
}

}  // namespace ofx::forms
