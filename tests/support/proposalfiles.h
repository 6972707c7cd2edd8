#pragma once
// Proposal files written by hand for the tests: a participant line, lot lines and item lines as
// a public body's file has them (UTF-8 here, CP1252 in the file).
#include "text/cp1252.h"

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

namespace ofx::test::files {

inline std::string line(std::initializer_list<std::string_view> fields)
{
    std::string s;
    for (std::string_view f : fields) {
        s += f;
        s += '|';
    }
    return s + "\r\n";
}

struct Participant {
    std::string code = "00000123";
    std::string name = "Fornecedor Exemplo";
    std::string document = "11222333000181";
    std::string avaliacao = "Menor preço";
    std::string validity = "30/06/2025";
    std::string deadline = "15/07/2025";
    std::string observations = "Entrega em horário comercial";
    // street, number, district, CEP, city, UF
    std::array<std::string, 6> address{"Rua das Flores", "10", "Centro", "88000-000", "Florianópolis", "SC"};
};

inline std::string participantLine(const Participant& p)
{
    const auto& a = p.address;
    return line({"C", p.code, p.name, p.document, a[0], a[1], a[2], a[3], a[4], a[5],
                 "Menor preço", p.avaliacao, "Sala 1", "14/04/2025", "09:00", "11/04/2025", "17:00", "30 dias",
                 "Material de expediente", p.validity, p.deadline, "Santa Catarina", "São José", "82892282000143",
                 p.observations});
}

inline std::string lotLine(std::string_view number, std::string_view flag = "0", std::string_view year = "2025")
{
    return line({"H", "Pregão Presencial", year, "18", number, "Lote " + std::string(number), "Entrega", flag});
}

// code, description, quantity, unit value, total, unit, brand, discount %, discount value, entry
inline std::string itemLine(std::string_view code, std::string_view unit = "2,5000", std::string_view total = "25,0000",
                     std::string_view discount = "0,0000")
{
    return line({"A", code, "Item " + std::string(code), "10,0000", unit, total, "UN", "Marca", discount, "0,0000", code});
}

// Two lots with two items and one item, every item priced.
inline std::string standardBody(std::string_view flag = "0")
{
    return lotLine("1", flag) + itemLine("1") + itemLine("2") + lotLine("2", flag) + itemLine("3");
}

inline std::string proposalFile(const Participant& p = {}, const std::string& body = standardBody())
{
    return ofx::text::utf8ToCp1252(participantLine(p) + body);
}

}  // namespace ofx::test::files
