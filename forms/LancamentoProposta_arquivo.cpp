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
#include "text/cp1252.h"
#include "widgets/iconbutton.h"
#include "widgets/inputlock.h"
#include "widgets/messagedialog.h"
#include "widgets/progressbar.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
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


QString fromCp1252(std::string_view text)
{
    return QString::fromStdString(text::cp1252ToUtf8(text));
}

std::string toCp1252(const QString& text)
{
    return text::utf8ToCp1252(text.toStdString());
}

// Blanks and control characters removed from both ends, as the fields show the variables.
QString trimmedField(std::string_view text)
{
    const auto first = std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > ' '; });
    const auto last = std::find_if(text.rbegin(), text.rend(), [](char c) { return static_cast<unsigned char>(c) > ' '; });
    if (first == text.end())
        return {};
    return fromCp1252(std::string_view(&*first, static_cast<std::size_t>(last.base() - first)));
}

// A path held as CP1252 text, in the file system's own encoding.
fs::path toPath(std::string_view cp1252)
{
    return fs::path(QFile::encodeName(fromCp1252(cp1252)).toStdString());
}

QString pathText(const fs::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

// A drop-down list shows the text when it is one of its items (an editable one shows any text).
void showInList(QComboBox* list, const QString& text)
{
    if (list->isEditable())
        list->setEditText(text);
    else
        list->setCurrentIndex(list->findText(text));
}

void warn(const char* text, QWidget* parent, QWidget* focus)
{
    widgets::messageDlg(QString::fromUtf8(text), MsgKind::Warning, MsgButton::OK, parent);
    focus->setFocus();
}

bool confirmed(const QString& text, MsgKind kind, QWidget* parent)
{
    return widgets::messageDlg(text, kind, MsgButton::Yes | MsgButton::No, parent) == MsgButton::Yes;
}

}  // namespace

void TFLancamentoProposta::proCarregarArquivo()
{
    auto& vars = proposal::processVariables();
    // Bound controls do not follow the tables while the file is read; the item refresh runs at
    // every row inserted.
    cdsProposta.disableControls();
    cdsLote.disableControls();
    cdsLote.afterScroll = [this](data::MemTable&) { cdsLoteAfterScroll(); };

    FCaminhoAtual = toPath(vCaminhoArquivo);
    const proposal::LoadResult loaded = proposal::loadProposalFile(FCaminhoAtual, cdsProposta, cdsLote, vars);

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
        const std::string_view mask = vars.vTipoDocumento == "CPF" ? proposal::cpfMask : proposal::cnpjMask;
        edtCpfCnpj->setEditMask(fromCp1252(mask));
        mmObs->setPlainText(fromCp1252(loaded.observations));
        edtValidade->setLoadedText(fromCp1252(loaded.validityText));
        edtProposta->setLoadedText(fromCp1252(loaded.deadlineText));
    }

    if (!loaded.ok) {
        // The tables keep their controls suspended: the window shows none of the rows read.
        FArquivoInvalido = true;
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
    cdsProposta.enableControls();
    cdsLote.enableControls();
}

QString TFLancamentoProposta::proCaminhoPdf() const
{
    if (FCaminhoAtual.empty())
        return {};
    fs::path pdf = FCaminhoAtual;
    return pathText(pdf.replace_extension(".pdf"));
}

void TFLancamentoProposta::bbtSalvarClick()
{
    auto& vars = proposal::processVariables();

    // Ctrl+S ends the editing in progress as the click on the button does, before the first
    // check reads the document: a refusal there (a wrong document, a cell text that is no
    // number) stops the save.
    if (!proEncerraEdicao(bbtSalvar))
        return;

    // A participant that the public body has not registered types its own identification.
    if (edtCdFornecedor->text().trimmed() == QLatin1String("00000000")) {
        if (edtNmFornecedor->text().trimmed().isEmpty()) {
            warn("O nome (social) do fornecedor deve ser informado!", this, edtNmFornecedor);
            return;
        }
        if (edtTipoDocumento->currentText().trimmed().isEmpty()) {
            warn("O tipo do documento (CPF ou CNPJ) do fornecedor deve ser informado!", this, edtTipoDocumento);
            return;
        }
        if (edtCpfCnpj->text().trimmed().isEmpty() || vars.vCpfCnpj == "cpf00000000000"
            || vars.vCpfCnpj == proposal::documentPlaceholder) {
            warn("O documento (CPF ou CNPJ) do fornecedor deve ser informado!", this, edtCpfCnpj);
            return;
        }
    }

    if (FArquivoInvalido) {
        widgets::systemMessageBox(QStringLiteral("Ofertix"), QStringLiteral("O formato do arquivo informado é inválido."),
                                  this);
        return;
    }

    // A date the file could not give back as a date is not written.
    if (!proDatasValidas())
        return;
    vars.vDtValidade = toCp1252(edtValidade->text());
    if (vars.vDtValidade.empty()
        && !confirmed(QStringLiteral("A data de validade da proposta não foi informada. Deseja continuar?"),
                      MsgKind::Confirmation, this))
        return;

    // Ends any editing in progress: a participant field stores its value on leaving, a grid cell
    // being edited is posted.
    bbtSalvar->setFocus();

    // All items of all lots, in reading order, without moving the items table.
    cdsBuscaItens.cloneCursor(cdsLote);
    cdsBuscaItens.open();

    vars.vDtPrazo = toCp1252(edtProposta->text());
    if (vars.vDtPrazo.empty()
        && !confirmed(QStringLiteral("O prazo de entrega/execução não foi informado. Deseja continuar?"),
                      MsgKind::Confirmation, this))
        return;

    // The first item (in reading order) without a value or discount decides, an empty one
    // included; an item line without a code does not count.
    if (proposal::firstItemWithoutValueHasCode(cdsBuscaItens, field::VL_TOTAL)
        && trimmedField(vars.vAvaliacao) != QLatin1String("por Item")
        && !confirmed(QStringLiteral("Existe(m) item(s) sem valor(es). \r"
                                     "O não preenchimento do valor unitário do item ocasionará a desclassificação "
                                     "do licitante no mesmo.\r"
                                     "Deseja continuar?"),
                      MsgKind::Information, this))
        return;
    if (vars.vFlVlrPerc == "1" && proposal::firstItemWithoutValueHasCode(cdsBuscaItens, field::PERC_DESC)
        && !confirmed(QStringLiteral("Existe(m) item(s) sem percentual de desconto. \r"
                                     "O não preenchimento do percentual de desconto unitário do item ocasionará a "
                                     "desclassificação do licitante no mesmo.\r"
                                     "Deseja continuar?"),
                      MsgKind::Information, this))
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
    QString failure;  // why nothing was saved
    std::optional<proposal::ItemRef> failedItem;  // the item that caused it, to be shown
    QString warning;  // saved, but not under the document's name
    QString note;     // saved; said with the success
    {
        // The event loop turns while writing (to repaint the bar); nothing else may act.
        widgets::InputLock lock(this);
        dbgItensDados->setInputBlocked(true);
        cdsLote.afterScroll = {};
        cdsProposta.disableControls();
        cdsLote.disableControls();
        try {
            // The file gets what the table holds, an edit not yet posted included.
            if (cdsLote.state() != data::TableState::Browse)
                cdsLote.post();
            cdsLote.close();
            cdsLote.setFilter({});
            cdsLote.setFiltered(false);
            cdsLote.open();
            // A range of 0..0 would make the bar a busy indicator.
            pgbStatus->setRange(0, std::max(cdsLote.recordCount(), 1));
            pgbStatus->setValue(0);
            cdsProposta.first();

            proposal::SaveOptions options;
            options.progress = [this](int) {
                pgbStatus->setValue(pgbStatus->value() + 1);
                QCoreApplication::processEvents();
            };
            if (ajusteGravacao)
                ajusteGravacao(options);
            const proposal::ProposalTexts texts{vars.vDtValidade, vars.vDtPrazo, toCp1252(mmObs->toPlainText())};
            // Written into a temporary file beside the proposal and put in its place only once
            // complete: on any failure the file on disk stays as it was.
            const proposal::SaveResult saved =
                proposal::saveProposalFile(FCaminhoAtual, cdsProposta, cdsLote, vars, texts, options);
            if (!saved.ok) {
                failure = fromCp1252(saved.error);
                failedItem = saved.failedItem;
            } else {
                proMarcaSalva();
                proRenomeiaArquivo(warning, note);
            }
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
        proRestauraExibicao();
        dbgItensDados->setInputBlocked(false);
    }

    if (!failure.isEmpty()) {
        // The item at fault is shown behind the message, and its cell gets the focus after it.
        if (failedItem)
            proMostraItem(*failedItem);
        widgets::messageDlg(QStringLiteral("A proposta NÃO foi salva.\r%1\rO arquivo \"%2\" continua como estava. "
                                           "Corrija o problema e salve novamente.")
                                .arg(failure, pathText(FCaminhoAtual)),
                            MsgKind::Error, MsgButton::OK, this);
        if (failedItem)
            dbgItensDados->setFocus(Qt::OtherFocusReason);
    } else if (!warning.isEmpty()) {
        widgets::messageDlg(warning, MsgKind::Warning, MsgButton::OK, this);
    } else {
        widgets::systemMessageBox(QStringLiteral("Ofertix"),
                                  note.isEmpty() ? QStringLiteral("Arquivo exportado com sucesso.")
                                                 : QStringLiteral("Arquivo exportado com sucesso.\r%1").arg(note),
                                  this);
    }
}

void TFLancamentoProposta::proRenomeiaArquivo(QString& warning, QString& note)
{
    const std::string& document = proposal::processVariables().vCpfCnpj;
    const proposal::DocumentFileName named =
        proposal::fileNameForDocument(FCaminhoAtual.filename().string(), FDocumentoNoNome, document);
    using Outcome = proposal::DocumentFileName::Outcome;
    if (named.outcome == Outcome::DocumentUnfit) {
        note = QStringLiteral("O nome do arquivo foi mantido: o documento do fornecedor (\"%1\") não tem a forma "
                              "de um CNPJ ou CPF e não pode entrar no nome.")
                   .arg(trimmedField(document));
        return;
    }
    if (named.outcome != Outcome::Renamed)
        return;
    const fs::path target = FCaminhoAtual.parent_path() / named.fileName;

    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))
        && !confirmed(QStringLiteral("Já existe um arquivo com o nome \"%1\".\rDeseja substituí-lo por esta proposta?\r"
                                     "Se não, a proposta fica salva em \"%2\".")
                          .arg(pathText(target.filename()), pathText(FCaminhoAtual.filename())),
                      MsgKind::Confirmation, this))
        return;

    // The proposal is complete on disk under its current name; one rename gives it the new one.
    fs::rename(FCaminhoAtual, target, ec);
    if (ec) {
        warning = QStringLiteral("A proposta foi salva em \"%1\", mas não foi possível renomeá-la para \"%2\": %3")
                      .arg(pathText(FCaminhoAtual), pathText(target.filename()),
                           QString::fromLocal8Bit(ec.message().c_str()));
        return;
    }
    FCaminhoAtual = target;
    FDocumentoNoNome = document;
}

void TFLancamentoProposta::proMostraItem(const proposal::ItemRef& item)
{
    // Its lot, shown as the navigation shows one.
    cdsProposta.first();
    while (cdsProposta.asInteger(field::NO_LOTE) != item.lot && !cdsProposta.eof())
        cdsProposta.next();
    if (cdsProposta.asInteger(field::NO_LOTE) != item.lot)
        return;
    cdsPropostaAfterScroll();
    // The item, in the cell to correct where that cell can be typed in, else on its row.
    const int code = cdsLote.fieldIndex(field::CD_ITEM);
    for (int row = 0; row < cdsLote.recordCount(); ++row) {
        const auto* c = std::get_if<std::int32_t>(&cdsLote.valueAt(row, code));
        if (item.code ? !(c && *c == *item.code) : c != nullptr)
            continue;
        const QString column = item.field == field::VL_UNITARIO && FModo == proposal::PricingMode::Price
                                   ? QStringLiteral("dbgItensDadosColumn4")
                               : item.field == field::PERC_DESC && FModo == proposal::PricingMode::Discount
                                   ? QStringLiteral("dbgItensDadosColumn9")
                                   : QStringLiteral("dbgItensDadosColumn11");
        dbgItensDados->setCurrentCell(row, dbgItensDados->columnIndex(column));
        return;
    }
}

void TFLancamentoProposta::proRestauraExibicao()
{
    cdsProposta.first();
    cdsProposta.enableControls();
    cdsLote.enableControls();
    cdsLote.afterScroll = [this](data::MemTable&) { cdsLoteAfterScroll(); };
    cdsPropostaAfterScroll();
    cdsLote.first();
}

}  // namespace ofx::forms
