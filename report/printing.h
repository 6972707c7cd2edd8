#pragma once
// The printing operation of the proposal entry window (bbtImprimirClick) without its widgets:
// what it reads from the window comes in as PrintEntries, what it changes is the process
// variables, the report item order, the items table (a pending edit is posted) and the report
// cursor. The window keeps the parts that need widgets: the refusal for a file that failed to
// load, moving the focus to bbtImprimir before calling this, and opening the preview.
#include "data/memtable.h"
#include "proposal/processvariables.h"
#include "report/propostareport.h"

#include <QString>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ofx::report {

// The window's controls that printing reads, their texts in CP1252 as they display them.
struct PrintEntries {
    std::string validade;     // edtValidade, "" when no date is entered
    std::string prazo;        // edtProposta, "" when no date is entered
    std::string observacoes;  // mmObs, lines separated by CR LF (or LF alone, as Qt gives them)
    bool timbrado = false;    // chkTimbrado, "Emissão do relatório em papel timbrado"
};

// The item order used when none was chosen in the grid.
inline constexpr std::string_view defaultItemOrder = "NO_LOTE;CD_ITEM";

// The observations as one paragraph: every line end becomes one space (a blank line two).
std::string joinLines(std::string_view text);

// The modality in its printed form: "Pregao" -> "Pregão", "Concorrencia Publica" ->
// "Concorrência Pública", "Leilao" -> "Leilão", "Tomada de Preco" -> "Tomada de Preço", compared
// exactly and with letter case after trimming; any other value is left as it is.
void convertModality(std::string& vTpModalidade);

// The thirty report variables, in the order they are set: name and expression (a quoted text
// literal of the trimmed value, quotes doubled: Rua D'Ouro -> 'Rua D''Ouro').
std::vector<std::pair<QString, QString>> reportVariables(const proposal::ProcessVariables& vars,
                                                         std::string_view observacoes,
                                                         bool timbrado);

// Printing up to the built report: sets vDtValidade and vDtPrazo from the entries, joins the
// observations, posts a pending edit of the items table, makes reportCursor a clone of items
// ordered by vOrdemItens (set to "NO_LOTE;CD_ITEM" when empty) and open, converts vTpModalidade,
// sets the thirty variables on report and builds it afresh.
// reportCursor must be the cursor that report was made with.
// Throws data::TableError when vOrdemItens names a field the items table lacks.
reportengine::Document preparePrint(PropostaReport& report, proposal::ProcessVariables& vars,
                                    const PrintEntries& entries, std::string& vOrdemItens,
                                    data::MemTable& items, data::MemTable& reportCursor);

}  // namespace ofx::report
