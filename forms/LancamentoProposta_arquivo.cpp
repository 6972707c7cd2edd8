// The entry window's file side: loading the proposal file on the first activation, and saving
// the proposal back into it.
#include "forms/LancamentoProposta.h"

namespace ofx::forms {

void TFLancamentoProposta::proCarregarArquivo()
{
    // Loading the proposal file is wired in here.
}

void TFLancamentoProposta::bbtSalvarClick()
{
    // Saving the proposal is wired in here.
}

}  // namespace ofx::forms
