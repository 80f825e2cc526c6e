// The tool speaks the language the environment asks for, and today's English without one.

#include <gtest/gtest.h>

#include "tool_support.h"

namespace vexlor::authoring {
namespace {

using vexlor::testing::TempFolder;

struct Spoken {
    const char* environment;  // the four variables a desktop sets, each one explicitly
    const char* helpStart;
    const char* unknownOption;  // what info --bogus says on the standard error
    const char* noModule;       // what info says without its module file
};

TEST(ToolLanguage, HelpAndErrorsFollowTheEnvironment) {
    TempFolder folder;
    const Spoken cases[] = {
        {"LANGUAGE=fr LANG=C.UTF-8",
         "Utilisation\u00a0: vexlor-module COMMAND [ARGUMENTS]\n\nCrée et inspecte",
         "vexlor-module info: L’argument suivant n’était pas attendu\u00a0: --bogus\n"
         "Essayez «\u00a0vexlor-module help info\u00a0».\n",
         "vexlor-module info: il manque le fichier du module\n"
         "Essayez «\u00a0vexlor-module help info\u00a0».\n"},
        {"LANGUAGE=de LANG=C.UTF-8", "Aufruf: vexlor-module COMMAND [ARGUMENTS]\n\nErstellt",
         "vexlor-module info: Das folgende Argument wurde nicht erwartet: --bogus\n"
         "Versuchen Sie „vexlor-module help info“.\n",
         "vexlor-module info: die Moduldatei fehlt\nVersuchen Sie „vexlor-module help info“.\n"},
        // A locale the machine has not generated still picks the catalog.
        {"LANG=es_ES.UTF-8", "Uso: vexlor-module COMMAND [ARGUMENTS]\n\nCrea e inspecciona",
         "vexlor-module info: No se esperaba el siguiente argumento: --bogus\n"
         "Pruebe «vexlor-module help info».\n",
         "vexlor-module info: falta el archivo del módulo\nPruebe «vexlor-module help info».\n"},
        // The C locale is English whatever LANGUAGE says, byte for byte as before.
        {"LANGUAGE=fr LC_ALL=C LANG=C",
         "Usage: vexlor-module COMMAND [ARGUMENTS]\n\nMakes and inspects Vexlor Player question "
         "modules (.vxm files).\n\nCommands:\n  create        make a new module from a file of "
         "questions\n",
         "vexlor-module info: The following argument was not expected: --bogus\n"
         "Try 'vexlor-module help info'.\n",
         "vexlor-module info: the module file is missing\nTry 'vexlor-module help info'.\n"},
    };
    for (const Spoken& spoken : cases) {
        const std::string tool = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG " +
                                 std::string(spoken.environment) + " timeout 30 " +
                                 testing::shellQuoted(VEXLOR_MODULE_TOOL);
        const auto help = testing::runShell(tool + " --help", folder);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(spoken.helpStart, 0), 0u) << spoken.environment << '\n'
                                                           << help.out;
        const auto unknown = testing::runShell(tool + " info --bogus", folder);
        EXPECT_EQ(unknown.status, 2);
        EXPECT_EQ(unknown.err, spoken.unknownOption) << spoken.environment;
        EXPECT_EQ(testing::runShell(tool + " info", folder).err, spoken.noModule)
            << spoken.environment;
    }
}

}  // namespace
}  // namespace vexlor::authoring
