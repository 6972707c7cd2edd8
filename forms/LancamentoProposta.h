#pragma once
// TFLancamentoProposta: the proposal entry window. Shows one lot at a time (a read-only lot
// header bound to the lots table, the lot's items in the grid, the item's description), the
// participant panel, the proposal dates and observations, and the commands: four lot navigation
// commands, save, "Limpar", print and close.
//
// The window owns its three tables: the lots table cdsProposta, the items table cdsLote and the
// report cursor cdsBuscaItens. A new window starts with new, empty tables.
//
// Long operations that let the event loop turn (saving) lock the window with
//     ofx::widgets::InputLock lock(window);
// for their duration: no command, shortcut, grid or participant input acts and the window
// cannot be closed; only repaints happen.
#include "data/memtable.h"
#include "forms/uPadraoGeral.h"
#include "proposal/loader.h"
#include "proposal/openproposal.h"
#include "proposal/savefile.h"
#include "widgets/datasource.h"
#include "widgets/imagelist.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace ofx::editors {
class DateEdit;
class MaskedEdit;
}
namespace ofx::grid {
class DataGrid;
}
namespace ofx::widgets {
class DBText;
class IconButton;
class PanelStatusBar;
class ProgressBar;
}  // namespace ofx::widgets

namespace ofx::forms {

// Load pending: set by every entry window's creation, cleared once its first activation has
// made the load. Process-wide.
extern bool vCarregarArquivo;

class TFLancamentoProposta : public TFPadraoGeral {
    Q_OBJECT
public:
    explicit TFLancamentoProposta(QWidget* parent = nullptr);
    ~TFLancamentoProposta() override;

    // --- the open proposal, its tables and the data sources (the sources are declared after
    // the tables: they go first)
    proposal::OpenProposal FProposta;
    data::MemTable& cdsProposta = FProposta.lots;      // lots
    data::MemTable& cdsLote = FProposta.items;         // items of all lots; filtered to the shown lot
    data::MemTable& cdsBuscaItens = FProposta.report;  // report cursor: a clone of cdsLote (saving/printing)
    widgets::DataSource dtsProposta;
    widgets::DataSource dtsLote;

    // --- window state
    bool FArquivoInvalido = false;  // set when loading failed; saving and printing refuse
    std::string vOrdemItens;        // report item order ("NO_LOTE;CD_ITEM"...), CP1252

    // --- components (client area 846 x 680)
    QLabel* cxImage2 = nullptr;  // header banner, 846 x 108
    QGroupBox* grbLancamento = nullptr;

    // Participant panel, inside grbLancamento. Every field starts disabled.
    QGroupBox* grbParticipante = nullptr;
    QLabel* lblParticipante = nullptr;
    QLineEdit* edtCdFornecedor = nullptr;  // never enabled
    QLineEdit* edtNmFornecedor = nullptr;
    QComboBox* edtTipoDocumento = nullptr;  // "CPF", "CNPJ"; shows "CNPJ"
    QLabel* lblInscricao = nullptr;
    editors::MaskedEdit* edtCpfCnpj = nullptr;
    QLabel* lblEndereco = nullptr;
    QLineEdit* edtEndereco = nullptr;
    QLabel* lblNumeroEndereco = nullptr;
    QLineEdit* edtNumero = nullptr;
    QLabel* lblCEP = nullptr;
    editors::MaskedEdit* edtCEP = nullptr;
    QLabel* lblBairro = nullptr;
    QLineEdit* edtBairro = nullptr;
    QLabel* lblCidade = nullptr;
    QLineEdit* edtCidade = nullptr;
    QLabel* lblUF = nullptr;
    QComboBox* edtUF = nullptr;  // the 27 units of the federation

    // Lot header (bound to the lots table, disabled), dates, grid, memos, letterhead box.
    QLabel* lblModalidade = nullptr;
    widgets::DBText* dbtModalidade = nullptr;
    QLabel* lblNumero = nullptr;
    widgets::DBText* dbtNumero = nullptr;
    QLabel* lblAno = nullptr;
    widgets::DBText* dbtAno = nullptr;
    QLabel* lblValidadeProposta = nullptr;
    editors::DateEdit* edtValidade = nullptr;
    QLabel* lblPrazoEntregaExecucao = nullptr;
    editors::DateEdit* edtProposta = nullptr;
    QLabel* lblLote = nullptr;
    widgets::DBText* dbtNumLote = nullptr;
    widgets::DBText* dbtDescLote = nullptr;
    // The item grid's place (3, 140, 839 x 274 in grbLancamento): a container into which the
    // grid view goes (replaceItemGrid).
    QFrame* dbgItens = nullptr;
    grid::DataGrid* dbgItensDados = nullptr;  // the grid's table view over cdsLote
    QLabel* lblDescricao = nullptr;
    QPlainTextEdit* mmDescricao = nullptr;
    QLabel* lblObservacoes = nullptr;
    QPlainTextEdit* mmObs = nullptr;
    QCheckBox* chkTimbrado = nullptr;

    widgets::IconButton* bbtSalvar = nullptr;
    widgets::IconButton* bbtImprimir = nullptr;
    widgets::IconButton* btnPrimeiro = nullptr;
    widgets::IconButton* btnAnterior = nullptr;
    widgets::IconButton* btnProximo = nullptr;
    widgets::IconButton* btnUltimo = nullptr;
    widgets::IconButton* bbtSair = nullptr;

    widgets::PanelStatusBar* dxStatusBar = nullptr;  // notice (440), empty (290), version
    widgets::ProgressBar* pgbStatus = nullptr;       // over the middle panel; rests at 0

    // --- images and actions (ActListaProposta), all with window-wide shortcuts
    widgets::ImageList imgCadastroProposta;
    QAction* ActPrimeiroProposta = nullptr;  // "Primeiro lote", F5
    QAction* ActAnteriorProposta = nullptr;  // "Lote anterior", F6
    QAction* ActProximoProposta = nullptr;   // "Próximo lote", F7
    QAction* ActUltimoProposta = nullptr;    // "Último lote", F8
    QAction* ActSalvarProposta = nullptr;    // "Salvar proposta", Ctrl+S
    QAction* ActLimparProposta = nullptr;    // "Limpar", Ctrl+L (no button)
    QAction* ActImprimirProposta = nullptr;  // "Imprimir proposta", Ctrl+I
    QAction* ActSairProposta = nullptr;      // "Sair", Ctrl+F4
    QList<QAction*> ActListaProposta;

    // --- handlers
    void FormCreate();
    void FormActivate();
    void FormClose(CloseAction& action);

    void ActPrimeiroPropostaExecute();
    void ActAnteriorPropostaExecute();
    void ActProximoPropostaExecute();
    void ActUltimoPropostaExecute();
    void ActSalvarPropostaExecute();
    void ActLimparPropostaExecute();
    void ActImprimirPropostaExecute();
    void ActSairPropostaExecute();

    void btnPrimeiroClick();
    void btnAnteriorClick();
    void btnProximoClick();
    void btnUltimoClick();
    void bbtSalvarClick();
    void btnLimparClick();
    void bbtImprimirClick();
    void bbtSairClick();

    // Shows the current lot: the items table refiltered to it, its first row in edit state,
    // that row's description in mmDescricao. Does nothing while the lots table's controls are
    // disabled (after a failed load).
    void cdsPropostaAfterScroll();

    // Enabled state of the four navigation buttons for "nbFirst", "nbPrior", "nbNext" or
    // "nbLast" (with the lots table's beginning/end flags); other texts change nothing. The
    // navigation actions stay enabled.
    virtual void proNavegacao(const QString& position);

    // Enables or disables, as a group, the command buttons (and their shortcuts), the two date
    // fields, the observations and the letterhead box. Saving disables them while it writes.
    void proHabilitaCampos(bool enabled);
    // The item grid's columns for a pricing mode (visibility, widths, editing), chosen by loading.
    void proModoPrecificacao(proposal::PricingMode mode);
    // Item refresh, the items table's after-scroll handler: acts only during a bulk pass (the
    // items table's controls disabled); recomputes the current row's total.
    void cdsLoteAfterScroll();

    // Participant panel exit handlers: each stores its field into its participant variable.
    void edtNmFornecedorExit();
    void edtEnderecoExit();
    void edtNumeroExit();
    void edtCEPExit();
    void edtBairroExit();
    void edtCidadeExit();
    void edtUFExit();
    void edtTipoDocumentoExit();
    void edtCpfCnpjExit();

    // Ends the editing in progress as a click on `destino` (a command button) does: the focus
    // moves there, so a participant field left stores its value and an open grid cell is posted.
    // False when something refused to be left (a wrong document, a cell text that is no number):
    // the command that asked does not run.
    bool proEncerraEdicao(QWidget* destino);
    // Something the supplier typed, pasted or cleared since the file was opened or last saved.
    bool proPropostaAlterada() const;

    // Puts a grid widget in dbgItens' place (it takes the container's whole area).
    void replaceItemGrid(QWidget* grid);

    // Tests and benchmarks: adjusts the options of every save before it writes (a wrapSink that
    // makes the write fail part-way; the progress callback wrapped or removed).
    std::function<void(proposal::SaveOptions&)> ajusteGravacao;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Loading of vCaminhoArquivo into the tables, the process variables and the panel, made
    // on the first activation while vCarregarArquivo is set.
    void proCarregarArquivo();

    // Saving, after the checks: writes the proposal through FProposta (which renames the file
    // after the document), with the window locked and the bar running. Reports success, or why
    // nothing was saved and shows the item at fault.
    void proGravarArquivo();
    // Shows an item that the save could not write: its lot, the item current, on the cell to
    // correct when that cell can be typed in.
    void proMostraItem(const proposal::ItemRef& item);
    // Shows one check before saving: a refusal (its message, the focus on its field) or a
    // question. False when the save must stop there.
    bool proVerifica(const proposal::SaveCheck& check);

    // Writes short-typed dates in full; a typed date field holding no date of the calendar gets
    // a warning and the focus, and false is returned (printing stops there).
    bool proDatasValidas();
    // The fields the checks before saving read, the dates written in full first.
    proposal::SaveFields proCamposGravacao();
    // Where a PDF of the proposal is offered: beside the file, under its name ("" before a load).
    QString proCaminhoPdf() const;

    // Changes since loading or the last save (the observations memo keeps its own flag).
    bool FAlterada = false;
    void proMarcaSalva();

    void buildLayout();
    void buildItemGrid();
    void buildActions();
    void bindControls();
};

}  // namespace ofx::forms
