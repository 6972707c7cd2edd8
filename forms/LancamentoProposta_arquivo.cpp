// The entry window's file side: loading the proposal file on the first activation, and saving
// the proposal back into it.
#include "forms/LancamentoProposta.h"

#include "editors/dateedit.h"
#include "editors/maskededit.h"
#include "forms/InformaCaminho.h"
#include "grid/datagrid.h"
#include "proposal/document.h"
#include "proposal/filename.h"
#include "proposal/pricing.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "qtext/qtext.h"
#include "text/cp1252.h"
#include "text/paths.h"
#include "widgets/iconbutton.h"
#include "widgets/inputlock.h"
#include "widgets/messagedialog.h"
#include "widgets/progressbar.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>
#include <exception>
#include <system_error>

namespace ofx::forms {

namespace {

namespace fs = std::filesystem;
namespace field = proposal::field;
using widgets::MsgButton;
using widgets::MsgKind;


using qtext::fromCp1252;
using qtext::pathText;
using qtext::toCp1252;
// The fields show the variables without their fill blanks; the variables keep them.
const auto trimmedField = qtext::fieldText;

// A drop-down list shows the text when it is one of its items (an editable one shows any text).
void showInList(QComboBox* list, const QString& text)
{
    if (list->isEditable())
        list->setEditText(text);
    else
        list->setCurrentIndex(list->findText(text));
}

bool confirmed(const QString& text, MsgKind kind, QWidget* parent)
{
    return widgets::messageDlg(text, kind, MsgButton::Yes | MsgButton::No, parent) == MsgButton::Yes;
}

}  // namespace

void TFLancamentoProposta::proCarregarArquivo()
{
    auto& vars = proposal::processVariables();
    // The item refresh runs at every row the load inserts.
    cdsLote.afterScroll = [this](data::MemTable&) { cdsLoteAfterScroll(); };
    const proposal::LoadResult loaded = FProposta.load(text::pathFromCp1252(vCaminhoArquivo), vars);

    // What the participant line decides is applied as it is read, so it holds also when a later
    // line fails.
    if (loaded.participantRead) {
        for (QWidget* f : {static_cast<QWidget*>(edtEndereco), static_cast<QWidget*>(edtNumero),
                           static_cast<QWidget*>(edtCEP), static_cast<QWidget*>(edtBairro),
                           static_cast<QWidget*>(edtCidade), static_cast<QWidget*>(edtUF)})
            f->setEnabled(loaded.addressFieldsEnabled);
        for (QWidget* f : {static_cast<QWidget*>(edtNmFornecedor), static_cast<QWidget*>(edtTipoDocumento),
                           static_cast<QWidget*>(edtCpfCnpj)})
            f->setEnabled(loaded.identityFieldsEnabled);
        // The editor takes the alphanumeric CNPJ as well as the numeric one.
        edtCpfCnpj->setEditMask(fromCp1252(loaded.documentMask));
        mmObs->setPlainText(fromCp1252(loaded.observations));
        edtValidade->setLoadedText(fromCp1252(loaded.validityText));
        edtProposta->setLoadedText(fromCp1252(loaded.deadlineText));
    }

    if (!loaded.ok) {
        // The tables keep their controls suspended: the window shows none of the rows read.
        FArquivoInvalido = FProposta.invalid();
        // Where the bad text stands, so that the public body can find it.
        QString message = fromCp1252(loaded.message);
        if (loaded.line > 0)
            message += QStringLiteral("\rLinha %1 do arquivo.").arg(loaded.line);
        widgets::messageDlg(message, MsgKind::Information, MsgButton::OK, this);
        return;
    }

    // The fields show the variables without their fill blanks; the variables keep them.
    edtCdFornecedor->setText(trimmedField(vars.vCdFornecedor));
    edtNmFornecedor->setText(trimmedField(vars.vNmFornecedor));
    showInList(edtTipoDocumento, trimmedField(vars.vTipoDocumento));
    edtCpfCnpj->setText(trimmedField(vars.vCpfCnpjFormatado));
    edtEndereco->setText(trimmedField(vars.vEndereco));
    edtNumero->setText(trimmedField(vars.vNumero));
    edtCEP->setText(trimmedField(vars.vCEP));
    edtBairro->setText(trimmedField(vars.vBairro));
    edtCidade->setText(trimmedField(vars.vCidade));
    showInList(edtUF, trimmedField(vars.vUF));

    mmDescricao->clear();
    proModoPrecificacao(loaded.pricingMode);

    // The loader left the first lot current and its items filtered, the first in edit state:
    // resuming shows them (the grid re-reads the lot).
    FProposta.resumeDisplay();
}

QString TFLancamentoProposta::proCaminhoPdf() const
{
    if (FProposta.path().empty())
        return {};
    fs::path pdf = FProposta.path();
    return pathText(pdf.replace_extension(".pdf"));
}

proposal::SaveFields TFLancamentoProposta::proCamposGravacao()
{
    edtValidade->complete();
    edtProposta->complete();
    proposal::SaveFields f;
    f.code = toCp1252(edtCdFornecedor->text());
    f.name = toCp1252(edtNmFornecedor->text());
    f.documentType = toCp1252(edtTipoDocumento->currentText());
    f.document = toCp1252(edtCpfCnpj->text());
    f.validity = toCp1252(edtValidade->text());
    f.deadline = toCp1252(edtProposta->text());
    // A text read from the file that the supplier did not touch goes back as it came.
    f.validityUnfit = edtValidade->typed() && !edtValidade->holdsDateOrNothing();
    f.deadlineUnfit = edtProposta->typed() && !edtProposta->holdsDateOrNothing();
    return f;
}

bool TFLancamentoProposta::proVerifica(const proposal::SaveCheck& check)
{
    using Kind = proposal::SaveCheck::Kind;
    using Field = proposal::SaveCheck::Field;
    const QString text = fromCp1252(check.text);
    if (check.kind != Kind::Refusal)
        return confirmed(text, check.kind == Kind::Confirmation ? MsgKind::Confirmation : MsgKind::Information, this);
    if (check.systemBox)
        widgets::systemMessageBox(QStringLiteral("Ofertix"), text, this);
    else
        widgets::messageDlg(text, MsgKind::Warning, MsgButton::OK, this);
    QWidget* focus = nullptr;
    switch (check.focus) {
    case Field::Name: focus = edtNmFornecedor; break;
    case Field::DocumentType: focus = edtTipoDocumento; break;
    case Field::Document: focus = edtCpfCnpj; break;
    case Field::Validity: focus = edtValidade; break;
    case Field::Deadline: focus = edtProposta; break;
    case Field::None: break;
    }
    if (focus)
        focus->setFocus();
    return false;
}

void TFLancamentoProposta::bbtSalvarClick()
{
    auto& vars = proposal::processVariables();

    // Ctrl+S ends the editing in progress as the click on the button does, before the first
    // check reads the document: a refusal there (a wrong document, a cell text that is no
    // number) stops the save.
    if (!proEncerraEdicao(bbtSalvar))
        return;
    for (const proposal::SaveCheck& check : FProposta.checksBeforeEditingEnds(proCamposGravacao(), vars))
        if (!proVerifica(check))
            return;
    // Ends any editing in progress: a participant field stores its value on leaving, a grid cell
    // being edited is posted. The later checks read what it stored.
    bbtSalvar->setFocus();
    for (const proposal::SaveCheck& check : FProposta.checksAfterEditingEnds(proCamposGravacao(), vars))
        if (!proVerifica(check))
            return;

    proHabilitaCampos(false);
    // Whatever happens while writing, the commands come back and the bar rests again.
    struct Reenable {
        TFLancamentoProposta* window;
        ~Reenable()
        {
            window->proHabilitaCampos(true);
            window->pgbStatus->setValue(0);
        }
    } reenable{this};
    proGravarArquivo();
}

void TFLancamentoProposta::proGravarArquivo()
{
    auto& vars = proposal::processVariables();
    proposal::SaveOutcome saved;
    {
        // The event loop turns while writing (to repaint the bar); nothing else may act.
        widgets::InputLock lock(this);
        dbgItensDados->setInputBlocked(true);
        proposal::SaveOptions options;
        options.progress = [this](int) {
            pgbStatus->setValue(pgbStatus->value() + 1);
            QCoreApplication::processEvents();
        };
        if (ajusteGravacao)
            ajusteGravacao(options);
        const proposal::ProposalTexts texts{vars.vDtValidade, vars.vDtPrazo, toCp1252(mmObs->toPlainText())};
        const auto starting = [this](int total) {
            // A range of 0..0 would make the bar a busy indicator.
            pgbStatus->setRange(0, std::max(total, 1));
            pgbStatus->setValue(0);
        };
        const auto replace = [this](const std::string& name) {
            return confirmed(QStringLiteral("Já existe um arquivo com o nome \"%1\".\rDeseja substituí-lo por esta "
                                            "proposta?\rSe não, a proposta fica salva em \"%2\".")
                                 .arg(fromCp1252(name), pathText(FProposta.path().filename())),
                             MsgKind::Confirmation, this);
        };
        saved = FProposta.save(vars, texts, options, starting, replace);
        mmDescricao->setPlainText(fromCp1252(FProposta.currentDescription()));
        dbgItensDados->setInputBlocked(false);
    }

    if (!saved.ok) {
        // The item at fault is shown behind the message, and its cell gets the focus after it.
        if (saved.failedItem)
            proMostraItem(*saved.failedItem);
        widgets::messageDlg(QStringLiteral("A proposta NÃO foi salva.\r%1\rO arquivo \"%2\" continua como estava. "
                                           "Corrija o problema e salve novamente.")
                                .arg(fromCp1252(saved.error), pathText(saved.path)),
                            MsgKind::Error, MsgButton::OK, this);
        if (saved.failedItem)
            dbgItensDados->setFocus(Qt::OtherFocusReason);
        return;
    }
    proMarcaSalva();
    if (!saved.renameWarning.empty()) {
        widgets::messageDlg(QString::fromStdString(saved.renameWarning), MsgKind::Warning, MsgButton::OK, this);
        return;
    }
    widgets::systemMessageBox(QStringLiteral("Ofertix"),
                              saved.nameKeptNote.empty()
                                  ? QStringLiteral("Arquivo exportado com sucesso.")
                                  : QStringLiteral("Arquivo exportado com sucesso.\r%1")
                                        .arg(QString::fromStdString(saved.nameKeptNote)),
                              this);
}

void TFLancamentoProposta::proMostraItem(const proposal::ItemRef& item)
{
    const std::optional<int> row = FProposta.showItem(item);
    mmDescricao->setPlainText(fromCp1252(FProposta.currentDescription()));
    if (!row)
        return;
    // The cell to correct where it can be typed in, else the item's row.
    const bool price = FProposta.mode() == proposal::PricingMode::Price;
    const QString column = item.field == field::VL_UNITARIO && price    ? QStringLiteral("dbgItensDadosColumn4")
                           : item.field == field::PERC_DESC && !price ? QStringLiteral("dbgItensDadosColumn9")
                                                                      : QStringLiteral("dbgItensDadosColumn11");
    dbgItensDados->setCurrentCell(*row, dbgItensDados->columnIndex(column));
}

}  // namespace ofx::forms
