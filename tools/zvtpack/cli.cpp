#include "cli.h"

#include <algorithm>

#include "base/pe_machine.h"
#include "code_page.h"
#include "config/key_table.h"
#include "config/keys.h"
#include "config/payload.h"
#include "convert.h"
#include "docs.h"
#include "file_io.h"
#include "pack.h"
#include "runtime_jar.h"
#include "settings.h"
#include "show.h"
#include "starter.h"
#include "toml_reader.h"
#include "unicode.h"

namespace zvt::pack {
namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char* const kHelp = R"(zvtpack: packs a Java application's launcher configuration into a copy of
a launcher template, and shows the configuration of a packed launcher. The
template's width must match the Java runtime: zvtsvc.exe (32-bit) loads
32-bit runtimes, zvtsvc64.exe (64-bit) 64-bit ones; launcher.architecture
("x86", the default, or "x64") says which one a configuration is for.

Usage:
  zvtpack init [--flavour zentrovia|quarn] [<configuration.toml>]
      write a commented starter configuration (to standard output without a file)
  zvtpack pack [<template.exe>] <configuration.toml> <output.exe>
      check the configuration and write the packed launcher; without a
      template, the one of launcher.architecture's width beside zvtpack
  zvtpack show [--files <dir>] [--code-page <n>] <packed.exe>
      print the packed configuration in the configuration format; --files
      writes the included files into <dir> so that the output packs again
  zvtpack convert [--code-page <n>] <description.txt> <configuration.toml>
      turn a description in the earlier line format into a configuration file
  zvtpack keys [--markdown]
      list every setting name (--markdown: the full configuration reference)
  zvtpack --help
      this text
  zvtpack --version
      the version of zvtpack and of the templates it ships with

Three steps: zvtpack init myservice.toml; edit it; zvtpack pack zvtsvc.exe
myservice.toml myservice.exe. Settings: docs/configuration.md.
)";

struct Streams {
  std::string& out;
  std::string& err;
  // The last line of every failed run.
  int fail(const std::string& message) {
    err += "zvtpack: " + message + "; nothing written\n";
    return kFailed;
  }
  int usage(const std::string& message) {
    err += "zvtpack: " + message + " (zvtpack --help lists the commands); nothing written\n";
    return kUsage;
  }
  // "N errors; nothing written" after the errors themselves.
  int failCount(size_t errors) { return fail(std::to_string(errors) + (errors == 1 ? " error" : " errors")); }
};

// Options before the positional arguments: "--name value" pairs from
// `known`; false on an unknown option or a missing value.
bool takeOptions(std::vector<std::string>& args, const std::vector<std::string>& known,
                 std::vector<std::pair<std::string, std::string>>& options, Streams& io, int& code) {
  while (!args.empty() && args[0].size() > 1 && args[0][0] == '-' && args[0] != "-") {
    const std::string name = args[0];
    bool isKnown = false;
    for (const std::string& k : known) isKnown = isKnown || k == name;
    if (!isKnown || args.size() < 2) {
      code = io.usage(isKnown ? "option " + name + " needs a value" : "unknown option " + name);
      return false;
    }
    options.emplace_back(name, args[1]);
    args.erase(args.begin(), args.begin() + 2);
  }
  return true;
}

bool codePageOption(const std::string& value, int& codePage, Streams& io) {
  int number = 0;
  bool digits = !value.empty() && value.size() < 6 && value.find_first_not_of("0123456789") == std::string::npos;
  if (digits) number = std::stoi(value);
  if (!digits || !CodePage::find(number)) {
    io.usage("--code-page: expected one of " + CodePage::supportedList());
    return false;
  }
  codePage = number;
  return true;
}

// The earlier line format: its first item is a keyword line.
bool looksLikeDescription(const std::string& text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (line.empty() || line[0] == '#' || line == "\r") continue;
    for (const char* keyword : {"entry ", "message ", "set ", "file "}) {
      if (line.compare(0, std::string(keyword).size(), keyword) == 0) return true;
    }
    return line == "end" || line == "end\r";
  }
  return false;
}

bool readText(const std::string& path, std::string& text, Streams& io) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!readWholeFile(path, bytes, error, kConfigurationSizeLimit)) {
    io.fail(error);
    return false;
  }
  text.assign(bytes.begin(), bytes.end());
  return true;
}

// The template must be of the width the configuration asks for: a launcher
// of the other width would refuse every runtime the application runs on.
bool templateWidthMatches(const std::vector<uint8_t>& image, const std::string& templatePath,
                          const block::Content& content, Streams& io) {
  const unsigned bits = architectureBits(content);
  const unsigned templateBits = peMachineBits(peMachine(image));
  if (templateBits == 0 || templateBits == bits) return true;
  const bool given = std::any_of(content.entries.begin(), content.entries.end(),
                                 [](const block::Entry& e) { return e.id == key::kLauncherArchitecture; });
  const char* wanted = templateBits == 64 ? config::kArchitectureX64 : config::kArchitectureX86;
  io.fail("the template " + templatePath + " is the " + std::to_string(templateBits) +
          "-bit launcher, but launcher.architecture is \"" +
          (bits == 64 ? config::kArchitectureX64 : config::kArchitectureX86) + "\"" + (given ? "" : " (the default)") +
          ": the " + std::to_string(templateBits) + "-bit launcher loads only " + std::to_string(templateBits) +
          "-bit Java runtimes; write architecture = \"" + wanted + "\" under [launcher] for those, or pack the " +
          std::to_string(bits) + "-bit template " + templateName(bits));
  return false;
}

// The runtime jar beside the packer; a missing one says where zvtpack
// looked and how to pack without it.
bool readRuntimeJar(const std::string& path, std::vector<uint8_t>& content, Streams& io) {
  const std::string off =
      "; or write include-runtime = false under [launcher] and install zvtruntime.jar with the application (under "
      "<installation-directory>\\.zentrovia\\ in the zentrovia flavour, or on the class path)";
  if (path.empty()) {
    io.fail(std::string("the directory zvtpack is installed in is unknown, so it cannot find the runtime classes ") +
            kRuntimeJarFile + off);
    return false;
  }
  std::string error;
  if (readWholeFile(path, content, error)) return true;
  io.fail(error + " (zvtpack packs the runtime classes " + kRuntimeJarFile +
          " into every launcher and looks for them in its own directory; put the jar there" + off + ")");
  return false;
}

int pack(const std::vector<std::string>& args, Streams& io, const std::string& installDirectory) {
  if (args.size() != 2 && args.size() != 3) {
    return io.usage("pack needs [<template.exe>] <configuration.toml> <output.exe>");
  }
  const bool templateNamed = args.size() == 3;
  std::string templatePath = templateNamed ? args[0] : std::string();
  const std::string& configPath = args[templateNamed ? 1 : 0];
  const std::string& outPath = args[templateNamed ? 2 : 1];
  std::string text;
  if (!readText(configPath, text, io)) return kFailed;
  std::vector<uint8_t> image;
  std::string error;
  if (templateNamed) {
    if (!readWholeFile(templatePath, image, error)) return io.fail(error);
    if (sameFile(outPath, templatePath)) {
      return io.fail("the output " + outPath + " is the template itself; write the packed launcher to another file");
    }
  }
  if (sameFile(outPath, configPath)) return io.fail("the output " + outPath + " is the configuration file itself");

  Node root;
  ReadError readError;
  if (!readToml(text, root, readError)) {
    if (looksLikeDescription(text)) {
      return io.fail(configPath + " is a description in the earlier line format; convert it first: zvtpack convert " +
                     configPath + " <configuration.toml>");
    }
    io.err += configPath + ":" + std::to_string(readError.pos.line) + ":" + std::to_string(readError.pos.column) +
              ": error: " + readError.message + "\n";
    return io.failCount(1);
  }
  PackPlan plan;
  Diagnostics diagnostics;
  DiskProbe disk;
  ReadContext context;
  context.source = &text;
  context.baseDirectory = directoryOf(configPath);
  context.files = &disk;
  context.withRuntime = true;
  if (!installDirectory.empty()) context.runtimeJar = installDirectory + "/" + kRuntimeJarFile;
  if (!buildPlan(root, context, plan, diagnostics)) {
    io.err += diagnostics.format(configPath);
    return io.failCount(diagnostics.size());
  }
  if (!templateNamed) {
    const char* name = templateName(architectureBits(plan.content));
    if (installDirectory.empty()) {
      return io.fail(std::string("no template named, and the directory zvtpack is installed in is unknown; name it: "
                                 "zvtpack pack ") +
                     name + " " + configPath + " " + outPath);
    }
    templatePath = installDirectory + "/" + name;
    if (!readWholeFile(templatePath, image, error)) {
      return io.fail(error + " (the template zvtpack takes when none is named; name one: zvtpack pack <template.exe> " +
                     configPath + " " + outPath + ")");
    }
    if (sameFile(outPath, templatePath)) {
      return io.fail("the output " + outPath + " is the template itself; write the packed launcher to another file");
    }
  }
  const bool runtimeIncluded = !plan.files.empty() && plan.files.back().runtime;
  for (const IncludedFilePlan& f : plan.files) {
    block::IncludedFile file;
    if (f.runtime) {
      if (!readRuntimeJar(f.source, file.content, io)) return kFailed;
    } else if (!readWholeFile(f.source, file.content, error)) {
      io.err += configPath + ":" + std::to_string(f.pos.line) + ":" + std::to_string(f.pos.column) +
                ": error: files: " + error + "\n";
      return io.failCount(1);
    }
    plan.content.files.push_back(std::move(file));
  }
  if (!templateWidthMatches(image, templatePath, plan.content, io)) return kFailed;
  std::vector<uint8_t> packed;
  if (!packImage(image, plan.content, packed, error)) return io.fail(templatePath + ": " + error);
  if (!writeFileAtomically(outPath, packed, error)) return io.fail(error);
  io.out += "zvtpack: wrote " + outPath + " (" + std::to_string(plan.content.entries.size()) + " settings, " +
            std::to_string(plan.content.messages.size()) + " messages, " + std::to_string(plan.content.sets.size()) +
            " localized sets, " + std::to_string(plan.content.files.size() - (runtimeIncluded ? 1 : 0)) +
            " included files" + (runtimeIncluded ? std::string(", and ") + kRuntimeJarFile : std::string()) + ")\n";
  return kOk;
}

// Writes the included files of a packed launcher under `directory`, named
// as the block names them (read through the code page), all or none. A name
// the launcher would refuse ("..\\x", "C:\\x") is never used as a path
// here either.
bool writeIncludedFiles(const block::Content& content, const std::vector<std::string>& names, int codePage,
                        const std::string& directory, Streams& io) {
  const CodePage& cp = *CodePage::find(codePage);
  std::vector<OutputFile> outputs;
  for (size_t i = 0; i < names.size() && i < content.files.size(); ++i) {
    if (const char* reason = refusedNameReason(names[i], decoderFor(codePage))) {
      io.fail("included file " + std::to_string(i + 1) + " is not written out: its name is refused (" + reason + ")");
      return false;
    }
    std::u32string chars;
    for (unsigned char b : names[i]) {
      const char32_t c = cp.decode(b);
      chars.push_back(b == '\\' ? U'/' : c != 0 ? c : b);
    }
    outputs.push_back(OutputFile{directory + "/" + encodeUtf8(chars), &content.files[i].content});
  }
  std::string error;
  for (const OutputFile& o : outputs) {
    error = outputRefusal(o.path);
    if (!error.empty()) {
      io.fail(error);
      return false;
    }
  }
  std::vector<std::string> created;
  bool ok = createDirectories(directory, error, &created);
  for (size_t i = 0; ok && i < outputs.size(); ++i)
    ok = createDirectories(directoryOf(outputs[i].path), error, &created);
  if (!ok || !writeFilesAtomically(outputs, error)) {
    removeCreatedDirectories(created);
    io.fail(error);
    return false;
  }
  return true;
}

int show(std::vector<std::string> args, Streams& io) {
  std::vector<std::pair<std::string, std::string>> options;
  int code = kOk;
  if (!takeOptions(args, {"--files", "--code-page"}, options, io, code)) return code;
  if (args.size() != 1) return io.usage("show needs <packed.exe>");
  ShowOptions showOptions;
  for (const auto& [name, value] : options) {
    if (name == "--files") showOptions.filesDirectory = value;
    if (name == "--code-page" && !codePageOption(value, showOptions.codePage, io)) return kUsage;
  }
  std::vector<uint8_t> image;
  std::string error;
  if (!readWholeFile(args[0], image, error)) return io.fail(error);
  block::Content content;
  std::vector<std::string> names;
  if (!readPackedBlock(image, content, names, error)) return io.fail(args[0] + ": " + error);
  // The runtime jar comes back from launcher.include-runtime, not from a
  // file written out.
  const std::vector<std::string> ownFiles(names.begin(), names.end() - packedRuntimeFiles(content, names));
  if (!showOptions.filesDirectory.empty() && !ownFiles.empty() &&
      !writeIncludedFiles(content, ownFiles, showOptions.codePage, showOptions.filesDirectory, io)) {
    return kFailed;
  }
  ShowResult shown = showBlock(content, names, showOptions);
  // The width comes from the image itself: the runtimes it can load.
  const PeMachine machine = peMachine(image);
  const unsigned bits = peMachineBits(machine);
  if (bits != 0) {
    io.out += "# A " + std::to_string(bits) + "-bit launcher (" + peMachineName(machine) + "): it loads " +
              std::to_string(bits) + "-bit Java runtimes only.\n";
  } else {
    io.out += std::string("# A launcher for ") + peMachineName(machine) + ".\n";
  }
  if (bits != 0 && bits != architectureBits(content)) {
    shown.notes.push_back("the launcher is " + std::to_string(bits) +
                          "-bit, but its configuration names no launcher.architecture of that width; packing the "
                          "printed file takes or asks for the " +
                          std::to_string(architectureBits(content)) + "-bit template");
  }
  if (std::none_of(content.entries.begin(), content.entries.end(),
                   [](const block::Entry& e) { return e.id == key::kRuntimeIncluded; })) {
    shown.notes.push_back(
        "the block names no launcher.include-runtime (it was packed without the runtime classes); packing the printed "
        "file includes them, unless include-runtime = false is added under [launcher]");
  }
  io.out += shown.text;
  for (const std::string& note : shown.notes) io.err += "zvtpack: note: " + note + "\n";
  return kOk;
}

int init(std::vector<std::string> args, Streams& io) {
  std::vector<std::pair<std::string, std::string>> options;
  int code = kOk;
  if (!takeOptions(args, {"--flavour"}, options, io, code)) return code;
  if (args.size() > 1) return io.usage("init takes at most one file name");
  Flavour flavour = Flavour::Zentrovia;
  for (const auto& option : options) {
    if (option.second == "quarn") {
      flavour = Flavour::Quarn;
    } else if (option.second != "zentrovia") {
      return io.usage("--flavour: expected zentrovia or quarn");
    }
  }
  const std::string text = starterConfiguration(flavour);
  if (args.empty()) {
    io.out += text;
    return kOk;
  }
  if (exists(args[0])) return io.fail(args[0] + " exists; init does not overwrite a file");
  std::string error;
  if (!writeFileAtomically(args[0], std::vector<uint8_t>(text.begin(), text.end()), error)) return io.fail(error);
  io.out += "zvtpack: wrote " + args[0] + "; fill in the lines marked \"required\", then: zvtpack pack " + args[0] + " myservice.exe\n";
  return kOk;
}

int convert(std::vector<std::string> args, Streams& io) {
  std::vector<std::pair<std::string, std::string>> options;
  int code = kOk;
  if (!takeOptions(args, {"--code-page"}, options, io, code)) return code;
  if (args.size() != 2) return io.usage("convert needs <description.txt> <configuration.toml>");
  ConvertInput input;
  for (const auto& option : options) {
    if (!codePageOption(option.second, input.codePage, io)) return kUsage;
  }
  if (exists(args[1])) return io.fail(args[1] + " exists; convert does not overwrite a file");
  if (!readText(args[0], input.text, io)) return kFailed;
  input.descriptionPath = args[0];
  input.outputDirectory = directoryOf(args[1]);
  ConvertResult result = convertDescription(input);
  for (const std::string& w : result.warnings) io.err += w + "\n";
  if (!result.ok) return io.fail(result.error);
  std::string error;
  if (!writeFileAtomically(args[1], std::vector<uint8_t>(result.toml.begin(), result.toml.end()), error)) {
    return io.fail(error);
  }
  io.out += "zvtpack: wrote " + args[1] + "\n";
  return kOk;
}

int keys(const std::vector<std::string>& args, Streams& io) {
  if (args.size() == 1 && args[0] == "--markdown") {
    io.out += configurationReference();
    return kOk;
  }
  if (!args.empty()) return io.usage("keys takes only --markdown");
  io.out += settingList();
  return kOk;
}

}  // namespace

const char* templateName(unsigned bits) {
  return bits == 64 ? "zvtsvc64.exe" : "zvtsvc.exe";
}

int runZvtpack(const std::vector<std::string>& arguments, std::string& out, std::string& err) {
  return runZvtpack(arguments, out, err, std::string());
}

int runZvtpack(const std::vector<std::string>& arguments, std::string& out, std::string& err,
               const std::string& installDirectory) {
  Streams io{out, err};
  if (arguments.empty()) return io.usage("no command given");
  const std::string& command = arguments[0];
  std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  if (command == "--help" || command == "-h" || command == "help" || command == "/?") {
    out += kHelp;
    return kOk;
  }
  if (command == "--version") {
    out += std::string("zvtpack ") + ZVT_VERSION + "\n";
    return kOk;
  }
  if (command == "pack") return pack(rest, io, installDirectory);
  if (command == "show") return show(rest, io);
  if (command == "init") return init(rest, io);
  if (command == "convert") return convert(rest, io);
  if (command == "keys") return keys(rest, io);
  return io.usage("unknown command \"" + command + "\"");
}

}  // namespace zvt::pack
