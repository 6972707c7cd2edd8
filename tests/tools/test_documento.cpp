// Runs the real ofertix-tool executable: "documento" is called by scripts, so its exit codes and
// outputs are an interface.
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string shellQuoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

ToolRun documento(const std::vector<std::string>& args)
{
    ofx::test::TempDir dir;
    std::string command = shellQuoted(OFX_TOOL_PATH) + " documento";
    for (const auto& a : args)
        command += " " + shellQuoted(a);
    command += " >" + shellQuoted(dir.file("out").string()) + " 2>" + shellQuoted(dir.file("err").string());
    const int status = std::system(command.c_str());
    ToolRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ofx::test::readFile(dir.file("out"));
    r.err = ofx::test::readFile(dir.file("err"));
    return r;
}

const std::string invalidCnpj = "O CNPJ informado é inválido! Verifique.\n";
const std::string invalidCpf = "O CPF informado é inválido! Verifique.\n";

}  // namespace

TEST(ToolDocumento, AcceptsAndPrintsTheStoredForm)
{
    struct Case {
        std::vector<std::string> args;
        std::string stored;
    };
    const Case cases[] = {
        {{"11.222.333/0001-81"}, "11222333000181"},
        {{"11222333000181"}, "11222333000181"},
        {{"--tipo", "CNPJ", "11.222.333/0001-81"}, "11222333000181"},
        {{"12.ABC.345/01DE-35"}, "12ABC34501DE35"},
        {{"12.abc.345/01de-35"}, "12ABC34501DE35"},  // the field upper-cases letters
        {{"--tipo", "CPF", "111.444.777-35"}, "cpf11144477735"},
        {{"111.444.777-35", "--tipo", "CPF"}, "cpf11144477735"},
        {{"--tipo=CPF", "529.982.247-25"}, "cpf52998224725"},
        {{"--tipo", "CPF", "987.654.321-  "}, "cpf98765432100"},  // blanks become zeros
        {{"  .   .   /    -  "}, "00000000000000"},                // untouched field
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const ToolRun r = documento(c.args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, c.stored + "\n");
        EXPECT_EQ(r.err, "");
    }
}

TEST(ToolDocumento, RefusesWithTheFieldsMessage)
{
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"11.222.333/0001-82"}, invalidCnpj},
        {{"11.111.111/1111-11"}, invalidCnpj},
        {{"111.444.777-35"}, invalidCnpj},  // a CPF tested as the default CNPJ
        {{"12.ABC.345/01DE-36"}, invalidCnpj},
        {{"--tipo", "CPF", "111.444.777-36"}, invalidCpf},
        {{"--tipo", "CPF", "222.222.222-22"}, invalidCpf},
        {{"--tipo", "CPF", "1114447773"}, invalidCpf},
        {{"--tipo", "CPF", "111.abc.777-35"}, invalidCpf},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const ToolRun r = documento(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.message);
    }
}

TEST(ToolDocumento, BadUsageExitsTwo)
{
    const std::vector<std::string> cases[] = {
        {},
        {"--tipo"},
        {"--tipo", "cpf", "111.444.777-35"},
        {"--tipo", "RG", "111.444.777-35"},
        {"--formato", "11222333000181"},
        {"11222333000181", "11444777000161"},
    };
    for (const auto& args : cases) {
        const ToolRun r = documento(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Uso: ofertix-tool documento"), std::string::npos) << r.err;
    }
}
