#include "tools/langcheck/Langcheck.h"

#include "tools/langcheck/DefaultsExport.h"
#include "tools/langcheck/FileBytes.h"
#include "tools/langcheck/FileCheck.h"
#include "tools/langcheck/Reference.h"

#include <new>
#include <optional>

namespace langcheck {
namespace {

constexpr std::string_view kUsage = "usage: langcheck [--reference FILE] FILE...\n"
                                    "       langcheck --export-defaults OUT\n";

struct Options {
    std::optional<std::string> mReference;
    std::optional<std::string> mExport;
    std::vector<std::string> mFiles;
    bool mHelp = false;
};

// Fills options; returns an error message, empty when the arguments are sound.
std::string ParseArguments(const std::vector<std::string>& arguments, Options& options)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.mFiles.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            options.mHelp = true;
        } else if (argument == "--reference" || argument == "--export-defaults") {
            std::optional<std::string>& value = argument == "--reference" ? options.mReference : options.mExport;
            if (i + 1 == arguments.size()) {
                return argument + " needs a file name";
            }
            if (value) {
                return argument + " is given twice";
            }
            value = arguments[++i];
        } else {
            return "unknown option \"" + argument + "\"";
        }
    }
    if (options.mHelp) {
        return std::string();
    }
    if (options.mExport && (options.mReference || !options.mFiles.empty())) {
        return "--export-defaults takes no other arguments";
    }
    if (!options.mExport && options.mFiles.empty()) {
        return "no language file to check";
    }
    return std::string();
}

int Export(const std::string& path, Console& console)
{
    if (!WriteWholeFile(path, DefaultsLanguageFile())) {
        console.Err("langcheck: cannot write " + path + "\n");
        return kExitTrouble;
    }
    return kExitClean;
}

int Check(const Options& options, Console& console)
{
    Reference reference = Reference::Catalogue();
    std::string bytes;
    if (options.mReference) {
        const ReadStatus status = ReadWholeFile(*options.mReference, bytes);
        if (status != ReadStatus::Read) {
            console.Err("langcheck: cannot read the reference " + *options.mReference + ": "
                + DescribeReadStatus(status) + "\n");
            return kExitTrouble;
        }
        reference = Reference::FromLanguageFile(bytes);
    }
    std::size_t errors = 0;
    std::size_t warnings = 0;
    bool trouble = false;
    for (const std::string& file : options.mFiles) {
        try {
            const ReadStatus status = ReadWholeFile(file, bytes);
            if (status != ReadStatus::Read) {
                console.Err("langcheck: cannot read " + file + ": " + DescribeReadStatus(status) + "\n");
                trouble = true;
                continue;
            }
            CheckLanguageFile(bytes, reference, [&](const Finding& finding) {
                ++(finding.mSeverity == Severity::Error ? errors : warnings);
                console.Out(FormatFinding(file, finding) + "\n");
            });
        } catch (const std::bad_alloc&) {
            console.Err("langcheck: not enough memory to check " + file + "\n");
            trouble = true;
        }
        std::string().swap(bytes);
    }
    console.Out(std::to_string(errors) + " errors, " + std::to_string(warnings) + " warnings\n");
    return trouble ? kExitTrouble : errors != 0 ? kExitErrors : kExitClean;
}

}  // namespace

int RunLangcheck(const std::vector<std::string>& arguments, Console& console)
{
    Options options;
    if (const std::string problem = ParseArguments(arguments, options); !problem.empty()) {
        console.Err("langcheck: " + problem + "\n");
        console.Err(kUsage);
        return kExitTrouble;
    }
    if (options.mHelp) {
        console.Out(kUsage);
        return kExitClean;
    }
    if (options.mExport) {
        return Export(*options.mExport, console);
    }
    return Check(options, console);
}

}  // namespace langcheck
