#include "proposal/processvariables.h"

namespace ofx::proposal {

const std::array<std::pair<std::string_view, ProcessVariables::Member>, 32>& ProcessVariables::all()
{
    using P = ProcessVariables;
    static const std::array<std::pair<std::string_view, Member>, 32> table{{
        {"vCdFornecedor", &P::vCdFornecedor},
        {"vNmFornecedor", &P::vNmFornecedor},
        {"vTipoDocumento", &P::vTipoDocumento},
        {"vCpfCnpj", &P::vCpfCnpj},
        {"vCpfCnpjFormatado", &P::vCpfCnpjFormatado},
        {"vEndereco", &P::vEndereco},
        {"vNumero", &P::vNumero},
        {"vCEP", &P::vCEP},
        {"vBairro", &P::vBairro},
        {"vCidade", &P::vCidade},
        {"vUF", &P::vUF},
        {"vCriterio", &P::vCriterio},
        {"vAvaliacao", &P::vAvaliacao},
        {"vLocalAbertura", &P::vLocalAbertura},
        {"vDtAbertura", &P::vDtAbertura},
        {"vHoraAbertura", &P::vHoraAbertura},
        {"vDtEntrega", &P::vDtEntrega},
        {"vHoraEntrega", &P::vHoraEntrega},
        {"vCondPagto", &P::vCondPagto},
        {"vObjeto", &P::vObjeto},
        {"vDtValidade", &P::vDtValidade},
        {"vDtPrazo", &P::vDtPrazo},
        {"vUgEstado", &P::vUgEstado},
        {"vUgCidade", &P::vUgCidade},
        {"vUgCNPJ", &P::vUgCNPJ},
        {"vTpModalidade", &P::vTpModalidade},
        {"vAnoLicitacao", &P::vAnoLicitacao},
        {"vNoLicitacao", &P::vNoLicitacao},
        {"vNoLote", &P::vNoLote},
        {"vDsLote", &P::vDsLote},
        {"vMmDescricao", &P::vMmDescricao},
        {"vFlVlrPerc", &P::vFlVlrPerc},
    }};
    return table;
}

ProcessVariables& processVariables()
{
    static ProcessVariables instance;
    return instance;
}

}  // namespace ofx::proposal
