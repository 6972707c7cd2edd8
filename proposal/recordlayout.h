#pragma once
// The exchange file's record layout, one table per kind of line: each field in its order on the
// line, what it is read into and written from, the width and fill of its written form, and whether
// it is a number or a text. The reader (exchangereader.h), the loader, the writer
// (exchangewriter.h) and the table definitions (tables.h) all take fields, types, widths and
// fills from here; nothing else spells them out.
//
// Also here: the two text-filling functions of the written forms, and the number forms.
#include "data/memtable.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ofx::proposal {

// --- text filling ---------------------------------------------------------------------------

// "0" put in front up to width; a text of the width or longer is returned whole (never cut).
std::string StrZeros(std::string_view text, int width);

// Exactly width characters: fill in front when direction, upper-cased, is 'L', otherwise after;
// a text of the width or longer is cut to its first width characters, whatever the direction.
std::string LRPad(std::string_view text, int width, char direction, char fill);

// The same two, appending to out (what the writer uses, so that a line is built in one buffer).
void appendStrZeros(std::string& out, std::string_view text, int width);
void appendLRPad(std::string& out, std::string_view text, int width, char direction, char fill);

// --- the layout -----------------------------------------------------------------------------

// How a field's text is filled when written.
enum class Fill {
    AsHeld,     // written unchanged
    Zeros,      // StrZeros(text, width): zeros in front, a longer text whole
    Blanks,     // LRPad(text, width, 'R', ' '): blanks after, a longer text cut
    ZerosCut,   // LRPad(text, width, 'L', '0'): zeros in front, a longer text cut
};

// What a lot or item field is written from, and in which form (before filling).
enum class Form {
    Cell,        // the row's cell: a text as held, an integer's decimal text
    Quantity,    // quantityForm of the QT_ITEM text
    Value,       // valueForm of the decimal cell
    Percentage,  // percentageForm of the decimal cell
    LotNumber,   // the item's lot row's NO_LOTE in lot-number form (not the row's own cell)
    PricingFlag, // the process variable vFlVlrPerc (not the row's own cell)
};

// A field of a lot or item line, and the table column it is read into. Text columns keep at most
// size characters; numbers (Integer, Decimal) are converted when read.
struct FieldLayout {
    std::string_view name;  // the table column (tables.h)
    data::FieldType type;
    int size;               // Text columns: the column's size; 0 for numbers
    Fill fill;
    int width;              // of the written form; 0 for AsHeld
    Form form;
    std::string ProcessVariables::*variable = nullptr;  // lot fields: the variable read into
    constexpr bool numeric() const { return type != data::FieldType::Text; }
};

// Texts the window holds outside the tables and variables, written into the participant line.
struct ProposalTexts {
    std::string validity;      // edtValidade's text: participant field 19 ("" when empty)
    std::string deadline;      // edtProposta's text: participant field 20
    std::string observations;  // mmObs's text: participant field 24
};

// A field of the participant line: the process variable it is read into (null: field 24, read
// into the observations memo) and what it is written from: the window's text when text is set,
// otherwise the same variable. All participant fields are texts.
struct ParticipantFieldLayout {
    std::string_view name;
    std::string ProcessVariables::*variable;
    std::string ProposalTexts::*text;
    Fill fill;
    int width;
};

// Participant line (kind "C").
inline constexpr std::array<ParticipantFieldLayout, 24> participantLayout{{
    {"vCdFornecedor", &ProcessVariables::vCdFornecedor, nullptr, Fill::Zeros, 8},
    {"vNmFornecedor", &ProcessVariables::vNmFornecedor, nullptr, Fill::Blanks, 50},
    {"vCpfCnpj", &ProcessVariables::vCpfCnpj, nullptr, Fill::AsHeld, 0},
    {"vEndereco", &ProcessVariables::vEndereco, nullptr, Fill::Blanks, 50},
    {"vNumero", &ProcessVariables::vNumero, nullptr, Fill::ZerosCut, 10},
    {"vBairro", &ProcessVariables::vBairro, nullptr, Fill::Blanks, 50},
    {"vCEP", &ProcessVariables::vCEP, nullptr, Fill::Blanks, 10},
    {"vCidade", &ProcessVariables::vCidade, nullptr, Fill::Blanks, 50},
    {"vUF", &ProcessVariables::vUF, nullptr, Fill::AsHeld, 0},
    {"vCriterio", &ProcessVariables::vCriterio, nullptr, Fill::Blanks, 20},
    {"vAvaliacao", &ProcessVariables::vAvaliacao, nullptr, Fill::Blanks, 20},
    {"vLocalAbertura", &ProcessVariables::vLocalAbertura, nullptr, Fill::Blanks, 70},
    {"vDtAbertura", &ProcessVariables::vDtAbertura, nullptr, Fill::AsHeld, 0},
    {"vHoraAbertura", &ProcessVariables::vHoraAbertura, nullptr, Fill::AsHeld, 0},
    {"vDtEntrega", &ProcessVariables::vDtEntrega, nullptr, Fill::AsHeld, 0},
    {"vHoraEntrega", &ProcessVariables::vHoraEntrega, nullptr, Fill::AsHeld, 0},
    {"vCondPagto", &ProcessVariables::vCondPagto, nullptr, Fill::Blanks, 100},
    {"vObjeto", &ProcessVariables::vObjeto, nullptr, Fill::Blanks, 300},
    {"vDtValidade", &ProcessVariables::vDtValidade, &ProposalTexts::validity, Fill::AsHeld, 0},
    {"vDtPrazo", &ProcessVariables::vDtPrazo, &ProposalTexts::deadline, Fill::AsHeld, 0},
    {"vUgEstado", &ProcessVariables::vUgEstado, nullptr, Fill::Blanks, 50},
    {"vUgCidade", &ProcessVariables::vUgCidade, nullptr, Fill::Blanks, 50},
    {"vUgCNPJ", &ProcessVariables::vUgCNPJ, nullptr, Fill::AsHeld, 0},
    {"mmObs", nullptr, &ProposalTexts::observations, Fill::Blanks, 300},
}};

// Lot line (kind "H"). Read into its variable and then a new lot row; the first five variables
// also go into every item row read after it.
inline constexpr std::array<FieldLayout, 7> lotLayout{{
    {field::TP_MODALIDADE, data::FieldType::Text, 20, Fill::Blanks, 20, Form::Cell, &ProcessVariables::vTpModalidade},
    {field::AA_LICITACAO, data::FieldType::Integer, 0, Fill::AsHeld, 0, Form::Cell, &ProcessVariables::vAnoLicitacao},
    {field::NO_LICITACAO, data::FieldType::Integer, 0, Fill::Zeros, 5, Form::Cell, &ProcessVariables::vNoLicitacao},
    {field::NO_LOTE, data::FieldType::Integer, 0, Fill::Zeros, 5, Form::Cell, &ProcessVariables::vNoLote},
    {field::DS_LOTE, data::FieldType::Text, 100, Fill::Blanks, 100, Form::Cell, &ProcessVariables::vDsLote},
    {field::MM_DESCRICAO, data::FieldType::Text, 50, Fill::Blanks, 50, Form::Cell, &ProcessVariables::vMmDescricao},
    {field::FL_VLRPERC, data::FieldType::Text, 1, Fill::AsHeld, 0, Form::PricingFlag, &ProcessVariables::vFlVlrPerc},
}};

// How many of the lot line's fields an item row takes from the last lot line read.
inline constexpr std::size_t lotFieldsOnItems = 5;

// Item line (any other kind; written as "A"). CD_LCTO is read from field 10, which is written from
// the lot's number.
inline constexpr std::array<FieldLayout, 10> itemLayout{{
    {field::CD_ITEM, data::FieldType::Integer, 0, Fill::Zeros, 6, Form::Cell},
    {field::DS_ITEM, data::FieldType::Text, 2000, Fill::Blanks, 2000, Form::Cell},
    {field::QT_ITEM, data::FieldType::Text, 100, Fill::Zeros, 17, Form::Quantity},
    {field::VL_UNITARIO, data::FieldType::Decimal, 0, Fill::Zeros, 17, Form::Value},
    {field::VL_TOTAL, data::FieldType::Decimal, 0, Fill::Zeros, 17, Form::Value},
    {field::UN_MEDIDA, data::FieldType::Text, 9, Fill::Blanks, 9, Form::Cell},
    {field::DS_MARCA, data::FieldType::Text, 40, Fill::Blanks, 40, Form::Cell},
    {field::PERC_DESC, data::FieldType::Decimal, 0, Fill::Zeros, 8, Form::Percentage},
    {field::VLR_DESC, data::FieldType::Decimal, 0, Fill::Zeros, 17, Form::Value},
    {field::CD_LCTO, data::FieldType::Integer, 0, Fill::AsHeld, 0, Form::LotNumber},
}};

inline constexpr int participantFieldCount = static_cast<int>(participantLayout.size());
inline constexpr int lotFieldCount = static_cast<int>(lotLayout.size());
inline constexpr int itemFieldCount = static_cast<int>(itemLayout.size());

// The layout of a lot or item column by name (items first, then lots); null when neither has it.
const FieldLayout* findFieldLayout(std::string_view name);

// --- number forms ---------------------------------------------------------------------------

// Value form: 12 significant digits, 4 decimals, "," ("10,0000"); ConversionError for an integer
// part of more than 12 digits or a value that is not finite.
std::string valueForm(double value);
// Quantity form: every "." removed, converted with "," as decimal separator, then the value form;
// an empty text is zero. ConversionError for a text that does not convert ("1,5 kg").
std::string quantityForm(std::string_view quantityText);
// Percentage form "##0.0000": 7.5 -> "7,5000". ConversionError when not finite.
std::string percentageForm(double value);
// Lot-number form "#00000": 3 -> "00003".
std::string lotNumberForm(std::int32_t lotNumber);

// A number as the writer zero-fills it: the zeros go in front of the sign ("0000000000-2,5000").
// Returns the text from the sign on when it has that shape, else the text unchanged, so that every
// number the writer writes reads back (also the quantity, which is converted when written).
std::string_view withoutZerosBeforeSign(std::string_view text);

}  // namespace ofx::proposal
