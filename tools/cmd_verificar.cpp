// ofertix-tool verificar [--json] ARQUIVO: loads a proposal file as the proposal entry window
// does (nothing is recomputed) and tells whether it loads; with --json, prints what it holds.
#include "commands.h"

#include "data/memtable.h"
#include "proposal/loader.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "text/cp1252.h"
#include "text/paths.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>

namespace {

using ofx::data::MemTable;
using ofx::data::Value;

void appendJsonString(std::string& out, std::string_view cp1252)
{
    const std::string utf8 = ofx::text::cp1252ToUtf8(cp1252);
    out += '"';
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void appendJsonValue(std::string& out, const Value& v)
{
    char buf[64];
    if (const auto* s = std::get_if<std::string>(&v)) {
        appendJsonString(out, *s);
    } else if (const auto* i = std::get_if<std::int32_t>(&v)) {
        const auto r = std::to_chars(buf, buf + sizeof buf, *i);
        out.append(buf, r.ptr);
    } else if (const auto* d = std::get_if<double>(&v); d && std::isfinite(*d)) {
        const auto r = std::to_chars(buf, buf + sizeof buf, *d);  // shortest form that reads back
        out.append(buf, r.ptr);
    } else {
        out += "null";  // empty field (or a value JSON cannot hold)
    }
}

// Every row of the view as an object of all fields, in field order.
void appendRows(std::string& out, const MemTable& view)
{
    out += '[';
    const auto& fields = view.fields();
    for (int p = 0; p < view.recordCount(); ++p) {
        if (p > 0)
            out += ',';
        out += '{';
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (f > 0)
                out += ',';
            appendJsonString(out, fields[f].name);
            out += ':';
            appendJsonValue(out, view.valueAt(p, static_cast<int>(f)));
        }
        out += '}';
    }
    out += ']';
}

std::string json(MemTable& lots, MemTable& items, const ofx::proposal::ProcessVariables& vars,
                 const ofx::proposal::LoadResult& loaded)
{
    // Second cursors over all rows: the lots in reading order, the items of every lot by code.
    MemTable lotView;
    lotView.cloneCursor(lots);
    lotView.open();
    MemTable itemView;
    itemView.cloneCursor(items);
    itemView.setIndexFieldNames(ofx::proposal::field::CD_ITEM);
    itemView.open();

    std::string out = "{\"modo\":";
    out += loaded.pricingMode == ofx::proposal::PricingMode::Discount ? "\"desconto\"" : "\"preco\"";
    out += ",\"variaveis\":{";
    for (const auto& [name, member] : ofx::proposal::ProcessVariables::all()) {
        appendJsonString(out, name);
        out += ':';
        appendJsonString(out, vars.*member);
        out += ',';
    }
    out += "\"mmObs\":";
    appendJsonString(out, loaded.observations);
    out += ",\"edtValidade\":";
    appendJsonString(out, loaded.validityText);
    out += ",\"edtProposta\":";
    appendJsonString(out, loaded.deadlineText);
    out += "},\"lotes\":";
    appendRows(out, lotView);
    out += ",\"itens\":";
    appendRows(out, itemView);
    out += "}\n";
    return out;
}

std::string trimmed(std::string_view s) { return std::string(ofx::text::trimmed(s)); }

std::string summary(MemTable& lots, MemTable& items, const ofx::proposal::ProcessVariables& vars,
                    const ofx::proposal::LoadResult& loaded)
{
    MemTable itemView;
    itemView.cloneCursor(items);
    itemView.open();
    std::string out = "O arquivo foi carregado.\n";
    out += "Lotes: " + std::to_string(lots.recordCount()) + "\n";
    out += "Itens: " + std::to_string(itemView.recordCount()) + "\n";
    if (loaded.participantRead) {
        const std::string name = trimmed(vars.vNmFornecedor);
        out += "Participante: " + ofx::text::cp1252ToUtf8(trimmed(vars.vCdFornecedor)) + " - "
               + (name.empty() ? std::string("(sem nome)") : ofx::text::cp1252ToUtf8(name)) + "\n";
        out += "Documento: "
               + (vars.vCpfCnpjFormatado.empty() ? std::string("não informado")
                                                 : vars.vTipoDocumento + " " + ofx::text::cp1252ToUtf8(vars.vCpfCnpjFormatado))
               + "\n";
    } else {
        out += "Participante: o arquivo não tem linha de participante\n";
    }
    out += loaded.pricingMode == ofx::proposal::PricingMode::Discount ? "Modo: desconto\n" : "Modo: preço\n";
    return out;
}

}  // namespace

int ofx::tool::verificar(const Args& args)
{
    bool asJson = false;
    std::string path;
    int paths = 0;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            asJson = true;
        } else {
            path = arg;
            ++paths;
        }
    }
    if (paths != 1) {
        std::fputs("Uso: ofertix-tool verificar [--json] ARQUIVO\n", stderr);
        return 2;
    }

    MemTable lots;
    MemTable items;
    proposal::createLotsTable(lots);
    proposal::createItemsTable(items);
    proposal::ProcessVariables& vars = proposal::processVariables();
    const proposal::LoadResult loaded = proposal::loadProposalFile(text::pathFromUtf8(path), lots, items, vars);
    if (!loaded.ok) {
        printLoadFailure(loaded);
        return 1;
    }
    const std::string out = asJson ? json(lots, items, vars, loaded) : summary(lots, items, vars, loaded);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
