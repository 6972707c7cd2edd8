#include "genproposta.h"

#include "text/cp1252.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ofx::bench {

namespace {

// splitmix64: small, fast, and the same sequence on every platform (the standard library's
// distributions are not), so a seed names the same file everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    long between(long lo, long hi)
    {
        return lo + static_cast<long>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <typename List>
    const auto& pick(const List& list)
    {
        return list[static_cast<std::size_t>(between(0, static_cast<long>(list.size()) - 1))];
    }

private:
    std::uint64_t state_;
};

// --- the written forms -----------------------------------------------------------------------

std::string cp(std::string_view utf8) { return text::utf8ToCp1252(utf8); }

void blankFilled(std::string& line, std::string_view text, std::size_t width)
{
    line.append(text.substr(0, width));
    if (text.size() < width)
        line.append(width - text.size(), ' ');
    line += '|';
}

void zeroFilled(std::string& line, std::string_view text, std::size_t width)
{
    if (text.size() < width)
        line.append(width - text.size(), '0');
    line.append(text);
    line += '|';
}

void asHeld(std::string& line, std::string_view text)
{
    line.append(text);
    line += '|';
}

// A number held in ten-thousandths, in the file's fixed form with 4 decimals: 105000 -> "10,5000".
std::string fixed4(std::int64_t tenThousandths)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld,%04lld", static_cast<long long>(tenThousandths / 10000),
                  static_cast<long long>(tenThousandths % 10000));
    return buf;
}

std::string digits(Random& rnd, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += static_cast<char>('0' + rnd.between(0, 9));
    return s;
}

// Check digit of the CPF/CNPJ kind: weighted sum mod 11, 0 for a remainder below 2.
char checkDigit(std::string_view number, const std::vector<int>& weights)
{
    int sum = 0;
    for (std::size_t i = 0; i < weights.size(); ++i)
        sum += (number[i] - '0') * weights[i];
    const int r = sum % 11;
    return static_cast<char>('0' + (r < 2 ? 0 : 11 - r));
}

std::string cnpj(Random& rnd)
{
    std::string n = digits(rnd, 8) + "0001";
    n += checkDigit(n, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    n += checkDigit(n, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    return n;
}

std::string cpf(Random& rnd)
{
    std::string n = digits(rnd, 9);
    n += checkDigit(n, {10, 9, 8, 7, 6, 5, 4, 3, 2});
    n += checkDigit(n, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2});
    return n;
}

std::string date(int day, int month, int year)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", day, month, year);
    return buf;
}

// --- what the files talk about (UTF-8 here, CP1252 in the file) ------------------------------

struct Category {
    const char* lotName;
    std::vector<const char*> items;
    std::vector<const char*> units;
    std::vector<const char*> brands;
    std::vector<const char*> details;  // sentences a technical description goes on with
    long maxQuantity;                  // whole units
    long maxPriceCents;
    bool fractional;                   // quantities such as 12,5000 (kilos, litres)
};

const std::vector<Category>& categories()
{
    static const std::vector<Category> list = {
        {"Material de escritório",
         {"Caneta esferográfica azul, ponta média 1,0 mm, corpo em polipropileno",
          "Papel sulfite A4 75 g/m², caixa com 10 resmas",
          "Grampeador de mesa em metal, capacidade para 25 folhas, grampos 26/6",
          "Clipes niquelados nº 2/0, caixa com 500 unidades",
          "Pasta suspensa em papel kraft, com visor e etiqueta",
          "Envelope pardo 240 x 340 mm, gramatura 80 g/m²",
          "Fita adesiva transparente 45 mm x 45 m",
          "Lápis preto nº 2, corpo sextavado, apontado",
          "Borracha branca macia, com capa plástica protetora",
          "Marcador permanente preto, ponta chanfrada",
          "Caderno universitário capa dura, 200 folhas pautadas",
          "Cola branca lavável, frasco com 90 g",
          "Apontador de lápis com depósito, lâmina de aço temperado"},
         {"UN", "CX", "PCT", "RESMA"},
         {"BIC", "Faber-Castell", "Chamex", "Tilibra", "Acrimet", "Pilot", "Maped", "Própria"},
         {"Deverá atender às normas da ABNT e do INMETRO.",
          "Embalagem original do fabricante, com identificação do lote e da data de fabricação.",
          "Amostra poderá ser solicitada pela comissão de licitação para análise técnica.",
          "Entrega em até 10 (dez) dias úteis após o recebimento da Autorização de Fornecimento.",
          "Produto isento de substâncias tóxicas, com selo de conformidade.",
          "Cor e dimensões conforme especificação do Termo de Referência."},
         5000, 15000, false},
        {"Medicamentos",
         {"Dipirona sódica 500 mg/mL, solução oral, frasco com 20 mL",
          "Paracetamol 750 mg, comprimido, blíster com 10",
          "Amoxicilina 500 mg, cápsula, caixa com 21",
          "Soro fisiológico cloreto de sódio 0,9%, bolsa de 500 mL",
          "Omeprazol 20 mg, cápsula de liberação retardada",
          "Losartana potássica 50 mg, comprimido revestido",
          "Ibuprofeno 600 mg, comprimido revestido",
          "Álcool etílico 70% (70° INPM), gel antisséptico, frasco com 500 g",
          "Cloridrato de metformina 850 mg, comprimido",
          "Sinvastatina 20 mg, comprimido revestido, caixa com 30"},
         {"UN", "CX", "LT"},
         {"EMS", "Medley", "Neo Química", "Prati-Donaduzzi", "Eurofarma", "Teuto", "Cimed"},
         {"Produto com registro na ANVISA, validade mínima de 12 (doze) meses na data da entrega.",
          "Embalagem com identificação do lote, data de fabricação e prazo de validade.",
          "Apresentar certificado de boas práticas de fabricação emitido pela ANVISA.",
          "Transporte e armazenamento em temperatura controlada, conforme bula.",
          "Entrega na Central de Abastecimento Farmacêutico da Secretaria Municipal de Saúde."},
         50000, 9000, true},
        {"Peças automotivas",
         {"Filtro de óleo para motor diesel, rosca M20 x 1,5",
          "Pastilha de freio dianteira, jogo com 4 peças",
          "Correia dentada do comando de válvulas, 123 dentes",
          "Lâmpada halógena H4 12 V 60/55 W",
          "Bateria automotiva 60 Ah, 12 V, selada, livre de manutenção",
          "Amortecedor traseiro a gás, par",
          "Graxa de lítio multiuso NLGI 2, balde",
          "Óleo lubrificante para motor 15W40, API CI-4",
          "Pneu 275/80 R22,5 radial, borrachudo, para caminhão"},
         {"UN", "KG", "LT", "PCT"},
         {"Bosch", "Cofap", "Moura", "Fras-le", "Mann", "Tecfil", "Lubrax", "Pirelli"},
         {"Peça nova, original ou de primeira linha, com garantia mínima de 12 (doze) meses.",
          "Para uso nos veículos da frota municipal relacionados no Anexo II.",
          "Não serão aceitas peças recondicionadas, remanufaturadas ou de procedência duvidosa.",
          "Deverá acompanhar nota fiscal com a identificação do veículo a que se destina."},
         2000, 150000, true},
        {"Serviços de manutenção",
         {"Serviço de manutenção preventiva e corretiva de aparelhos de ar-condicionado tipo split",
          "Serviço de manutenção elétrica predial, com fornecimento de mão de obra especializada",
          "Serviço de limpeza e desobstrução de calhas e condutores pluviais",
          "Serviço de manutenção de elevadores, com reposição de peças",
          "Serviço de roçada e capina manual em vias públicas",
          "Serviço de pintura de paredes internas com tinta acrílica, duas demãos"},
         {"UN", "MÊS"},
         {"Própria"},
         {"Os serviços serão executados nas unidades da Secretaria Municipal de Administração, em "
          "horário comercial, de segunda a sexta-feira.",
          "A contratada fornecerá todos os materiais, ferramentas e equipamentos de proteção "
          "individual necessários à execução.",
          "Atendimento a chamados em até 24 (vinte e quatro) horas, com relatório técnico de cada "
          "visita.",
          "Responsável técnico registrado no CREA, com anotação de responsabilidade técnica (ART).",
          "Garantia de 90 (noventa) dias sobre os serviços executados."},
         120, 150000, false},
    };
    return list;
}

struct PublicBody {
    const char* state;
    const char* body;
    const char* city;
    const char* uf;
};

const std::array<PublicBody, 6> publicBodies = {{
    {"Estado de Santa Catarina", "Prefeitura Municipal de Florianópolis", "Florianópolis", "SC"},
    {"Estado de Minas Gerais", "Prefeitura Municipal de São João del-Rei", "São João del-Rei",
     "MG"},
    {"Estado da Bahia", "Prefeitura Municipal de Feira de Santana", "Feira de Santana", "BA"},
    {"Estado do Paraná", "Prefeitura Municipal de Maringá", "Maringá", "PR"},
    {"Estado de São Paulo", "Prefeitura Municipal de Ribeirão Preto", "Ribeirão Preto", "SP"},
    {"Estado do Rio Grande do Sul", "Prefeitura Municipal de Caxias do Sul", "Caxias do Sul",
     "RS"},
}};

const std::array<const char*, 5> suppliers = {
    "Papelaria Três Irmãos Ltda", "Distribuidora de Medicamentos São Lucas Ltda",
    "Auto Peças Irmãos Gonçalves Ltda ME", "Comercial Paraná Materiais de Escritório Eireli",
    "Manutenção Predial Conceição & Filhos Ltda EPP"};
const std::array<const char*, 5> streets = {"Rua Coronel João Gonçalves", "Avenida Brasil",
                                             "Rua São José", "Travessa Dom Pedro II",
                                             "Rodovia SC-401, km 4"};
const std::array<const char*, 4> districts = {"Centro", "Jardim América", "Vila Operária",
                                               "São Cristóvão"};
const std::array<const char*, 5> modalities = {"Pregão Eletrônico", "Pregão Presencial",
                                                "Tomada de Preços", "Concorrência", "Convite"};
const std::array<const char*, 3> lotRemarks = {"", "Ampla participação",
                                                "Cota reservada ME/EPP (art. 48, III, LC 123)"};

// --- lines -----------------------------------------------------------------------------------

struct Process {
    std::string modality;
    std::string year;
    std::string number;
    bool discountMode = false;
};

std::string participantLine(Random& rnd, const Process& process,
                            const std::vector<const Category*>& lotCategories)
{
    const PublicBody& ug = rnd.pick(publicBodies);
    const bool registered = rnd.chance(50);
    const int day = static_cast<int>(rnd.between(2, 28));
    const int month = static_cast<int>(rnd.between(1, 10));
    const int year = std::stoi(process.year);

    std::string object = "Registro de preços para eventual aquisição de ";
    for (std::size_t i = 0; i < lotCategories.size() && i < 4; ++i)
        object += std::string(i ? ", " : "") + lotCategories[i]->lotName;
    object += ", conforme especificações e quantidades constantes do Termo de Referência "
              "(Anexo I) do edital.";

    std::string line = "C|";
    if (registered) {
        const bool person = rnd.chance(20);
        zeroFilled(line, std::to_string(rnd.between(1, 99999)), 8);
        blankFilled(line, cp(person ? "José Antônio da Conceição" : rnd.pick(suppliers)), 50);
        asHeld(line, person ? std::string("cpf").append(cpf(rnd)) : cnpj(rnd));
        blankFilled(line, cp(rnd.pick(streets)), 50);
        zeroFilled(line, std::to_string(rnd.between(1, 4999)), 10);
        blankFilled(line, cp(rnd.pick(districts)), 50);
        std::string cep = digits(rnd, 5);  // one draw per statement: the order is then fixed
        cep += '-';
        cep += digits(rnd, 3);
        blankFilled(line, cep, 10);
        blankFilled(line, cp(ug.city), 50);
        asHeld(line, ug.uf);
    } else {
        zeroFilled(line, "", 8);
        blankFilled(line, "", 50);
        asHeld(line, "00000000000000");
        blankFilled(line, "", 50);
        zeroFilled(line, "", 10);
        blankFilled(line, "", 50);
        blankFilled(line, "", 10);
        blankFilled(line, "", 50);
        asHeld(line, "");
    }
    blankFilled(line, cp(process.discountMode ? "Maior Desconto" : "Menor Preço"), 20);
    blankFilled(line, rnd.chance(70) ? "por Item" : "por Lote", 20);
    blankFilled(line, cp(std::string("Sala de Licitações do Paço Municipal, ") + ug.city), 70);
    asHeld(line, date(day, month + 1, year));
    asHeld(line, rnd.chance(50) ? "09:00" : "14:30");
    asHeld(line, date(day - 1, month + 1, year));
    asHeld(line, "17:00");
    blankFilled(line,
                cp("Em até 30 (trinta) dias após a apresentação da nota fiscal, mediante atestado "
                   "de recebimento"),
                100);
    blankFilled(line, cp(object), 300);
    // A file handed out has no validity date yet; one a supplier saved before has both dates.
    if (registered && rnd.chance(50)) {
        asHeld(line, date(day, month + 2, year));
        asHeld(line, date(day, month + 1, year));
    } else {
        asHeld(line, "00/00/0000");
        asHeld(line, "00/00/0000");
    }
    blankFilled(line, cp(ug.state), 50);
    blankFilled(line, cp(ug.body), 50);
    asHeld(line, cnpj(rnd));
    blankFilled(line,
                registered ? cp("Prazo de entrega conforme edital. Frete por conta do fornecedor.")
                           : "",
                300);
    return line;
}

std::string lotNumberText(int lot)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%05d", lot);
    return buf;
}

std::string lotLine(Random& rnd, const Process& process, int lot, const Category& category)
{
    std::string line = "H|";
    blankFilled(line, process.modality, 20);
    asHeld(line, process.year);
    zeroFilled(line, process.number, 5);
    zeroFilled(line, std::to_string(lot), 5);
    blankFilled(line, cp(std::string("Lote ").append(std::to_string(lot)).append(" - ").append(category.lotName)), 100);
    blankFilled(line, cp(rnd.pick(lotRemarks)), 50);
    asHeld(line, process.discountMode ? "1" : "0");
    return line;
}

std::string description(Random& rnd, const Category& category)
{
    std::string text = rnd.pick(category.items);
    // Most descriptions are one line; some carry technical details of several sentences.
    const long roll = rnd.between(1, 100);
    const long sentences = roll <= 60 ? 0 : roll <= 85 ? rnd.between(1, 2)
                                       : roll <= 95 ? rnd.between(3, 5)
                                                    : rnd.between(6, 20);
    for (long i = 0; i < sentences; ++i)
        text += std::string(i ? " " : ". ") + rnd.pick(category.details);
    return cp(text);
}

std::string itemLine(Random& rnd, const Process& process, long code, int lot,
                     const Category& category)
{
    // Amounts in ten-thousandths. Totals stay below 10^8 so that their 4 decimals fit in the
    // 12 significant digits of the written form.
    std::int64_t quantity = rnd.between(1, category.maxQuantity) * 10000;
    if (category.fractional && rnd.chance(30))
        quantity = rnd.between(1, category.maxQuantity * 4) * 2500;  // 0,2500 steps
    const bool priced = rnd.chance(70);
    const std::int64_t unitValue =
        priced || process.discountMode ? rnd.between(5, category.maxPriceCents) * 100 : 0;
    const std::int64_t total = (quantity * unitValue + 5000) / 10000;
    std::int64_t percent = 0;  // ten-thousandths of a percent point
    std::int64_t discount = 0;
    if (process.discountMode && priced) {
        percent = rnd.between(1, 3000) * 100;  // 0,01 % to 30,00 %
        discount = (total * percent + 500000) / 1000000;
    }

    std::string line = "A|";
    zeroFilled(line, std::to_string(code), 6);
    blankFilled(line, description(rnd, category), 2000);
    zeroFilled(line, fixed4(quantity), 17);
    zeroFilled(line, fixed4(unitValue), 17);
    zeroFilled(line, fixed4(total), 17);
    blankFilled(line, cp(rnd.pick(category.units)), 9);
    blankFilled(line, priced ? cp(rnd.pick(category.brands)) : "", 40);
    zeroFilled(line, fixed4(percent), 8);
    zeroFilled(line, fixed4(discount), 17);
    asHeld(line, lotNumberText(lot));
    return line;
}

}  // namespace

GeneratedProposal generateProposal(std::ostream& out, const ProposalShape& shape)
{
    Random rnd(shape.seed);
    GeneratedProposal result;
    result.items = shape.items > 0 ? shape.items : 0;

    // The process first, so that its kind depends on the seed alone; then the lots, which the
    // participant line names.
    Process process;
    process.modality = cp(rnd.pick(modalities));
    process.year = std::to_string(rnd.between(2024, 2025));
    process.number = std::to_string(rnd.between(1, 250));
    process.discountMode = rnd.chance(25);
    result.discountMode = process.discountMode;

    std::vector<long> lotSizes;
    if (shape.lots > 0) {
        for (int i = 0; i < shape.lots; ++i)
            lotSizes.push_back(result.items / shape.lots + (i < result.items % shape.lots ? 1 : 0));
    } else {
        for (long left = result.items; left > 0;) {
            const long size = std::min(left, rnd.between(50, 500));
            lotSizes.push_back(size);
            left -= size;
        }
        if (lotSizes.empty())
            lotSizes.push_back(0);  // a file always has a lot line, or it does not load
    }
    result.lots = static_cast<int>(lotSizes.size());

    std::vector<const Category*> lotCategories;
    for (std::size_t i = 0; i < lotSizes.size(); ++i)
        lotCategories.push_back(&rnd.pick(categories()));

    auto put = [&](const std::string& line) {
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        out.write("\r\n", 2);
        result.bytes += line.size() + 2;
    };

    put(participantLine(rnd, process, lotCategories));
    long code = 0;
    for (std::size_t i = 0; i < lotSizes.size(); ++i) {
        const int lot = static_cast<int>(i) + 1;
        put(lotLine(rnd, process, lot, *lotCategories[i]));
        for (long n = 0; n < lotSizes[i]; ++n)
            put(itemLine(rnd, process, ++code, lot, *lotCategories[i]));
    }
    return result;
}

GeneratedProposal generateProposalFile(const std::filesystem::path& path,
                                       const ProposalShape& shape)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("Não foi possível criar o arquivo " + path.string() + ".");
    const GeneratedProposal result = generateProposal(out, shape);
    out.close();
    if (!out)
        throw std::runtime_error("Não foi possível gravar o arquivo " + path.string() + ".");
    return result;
}

}  // namespace ofx::bench
