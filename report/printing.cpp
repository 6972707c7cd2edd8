#include "report/printing.h"

#include "reportengine/expression.h"
#include "qtext/qtext.h"
#include "text/cp1252.h"

namespace ofx::report {

std::string joinLines(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += ' ';
            ++i;
        } else if (text[i] == '\n' || text[i] == '\r') {
            out += ' ';  // a lone line end, as a Qt editor gives it, counts the same
        } else {
            out += text[i];
        }
    }
    return out;
}

void convertModality(std::string& vTpModalidade)
{
    // Printed forms in CP1252: 0xE3 ã, 0xEA ê, 0xFA ú, 0xE7 ç.
    static const std::pair<std::string_view, std::string_view> forms[] = {
        {"Pregao", "Preg\xE3o"},
        {"Concorrencia Publica", "Concorr\xEAncia P\xFA" "blica"},
        {"Leilao", "Leil\xE3o"},
        {"Tomada de Preco", "Tomada de Pre\xE7o"},
    };
    const std::string held(text::trimmed(vTpModalidade));
    for (const auto& [from, to] : forms)
        if (held == from) {
            vTpModalidade = to;
            return;
        }
}

std::vector<std::pair<QString, QString>> reportVariables(const proposal::ProcessVariables& v,
                                                         std::string_view observacoes,
                                                         bool timbrado)
{
    const std::pair<const char*, std::string_view> values[] = {
        {"gCnpj", v.vCpfCnpjFormatado},
        {"gNmFornecedor", v.vNmFornecedor},
        {"gRua", v.vEndereco},
        {"gBairro", v.vBairro},
        {"gCidade", v.vCidade},
        {"gUF", v.vUF},
        {"gCriterio", v.vCriterio},
        {"gAvaliacao", v.vAvaliacao},
        {"gLocalAbertura", v.vLocalAbertura},
        {"gDtAbertura", v.vDtAbertura},
        {"gHoraAbertura", v.vHoraAbertura},
        {"gDtEntrega", v.vDtEntrega},
        {"gHoraEntrega", v.vHoraEntrega},
        {"gCondPagto", v.vCondPagto},
        {"gObjeto_2", v.vObjeto},
        {"gCdFornecedor", v.vCdFornecedor},
        {"gNumRua", v.vNumero},
        {"gCep", v.vCEP},
        {"gTpModalidade", v.vTpModalidade},
        {"gAnoLicitacao", v.vAnoLicitacao},
        {"gNoLicitacao", v.vNoLicitacao},
        {"gDsLote", v.vDsLote},
        {"gMmDescricao", v.vMmDescricao},
        {"gUgEstado", v.vUgEstado},
        {"gUgCidade", v.vUgCidade},
        {"gUgCNPJ", v.vUgCNPJ},
        {"gDtValidade", v.vDtValidade},
        {"gDtPrazo", v.vDtPrazo},
        {"gObs", observacoes},
        {"lStrTimbrado", timbrado ? std::string_view("S") : std::string_view()},
    };
    std::vector<std::pair<QString, QString>> out;
    out.reserve(std::size(values));
    for (const auto& [name, value] : values) {
        const QString text = qtext::fieldText(value);
        out.emplace_back(QString::fromLatin1(name), reportengine::textLiteral(text));
    }
    return out;
}

reportengine::Document preparePrint(PropostaReport& report, proposal::ProcessVariables& vars,
                                    const PrintEntries& entries, std::string& vOrdemItens,
                                    data::MemTable& items, data::MemTable& reportCursor)
{
    vars.vDtValidade = entries.validade;
    vars.vDtPrazo = entries.prazo;
    const std::string observacoes = joinLines(entries.observacoes);

    if (items.state() == data::TableState::Edit || items.state() == data::TableState::Insert)
        items.post();

    reportCursor.cloneCursor(items);
    if (vOrdemItens.empty())
        vOrdemItens = defaultItemOrder;
    reportCursor.setIndexFieldNames(vOrdemItens);
    reportCursor.open();

    convertModality(vars.vTpModalidade);
    for (const auto& [name, expression] : reportVariables(vars, observacoes, entries.timbrado))
        report.report().setVariable(name, expression);
    return report.build();
}

}  // namespace ofx::report
