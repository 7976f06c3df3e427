// The whole VM option assembly over a scripted host: the order of every
// source, includes, the class path and module path, the service switches,
// argument files, and the bytes of options files under any code page.
#include "jvm/launch/vm_options.h"

#include <gtest/gtest.h>

#include "config/accessors.h"
#include "config/keys.h"
#include "log_capture.h"
#include "vm_option_fakes.h"

namespace zvt {
namespace {

using List = std::vector<std::string>;

class VmOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    config::current() = LoadedConfiguration();
    config::current().language = "de";
    config::current().country = "AT";
    request.zentroviaFlavour = false;
    request.jvmVersion = "11.0.2";
    request.jvmLibraryDirectory = "C:\\jre\\bin";
  }
  void set(uint32_t key, const std::string& value) { config::current().entries[key] = value; }
  void file(const std::wstring& path, const std::string& content) { host.files[path] = content; }
  void vmOptionsFile(const std::string& content) {
    set(key::kReadVmOptionsFile, "1");
    host.defaultFile = L"C:\\App\\myservice.vmoptions";
    file(host.defaultFile, content);
  }
  List assemble() {
    outcome = assembleVmOptions(request, host);
    return outcome.options;
  }

  test::FakeHost host;
  test::LogCapture log;
  VmOptionRequest request;
  VmOptionOutcome outcome;
};

TEST_F(VmOptions, EverySourceInItsPlace) {
  request.zentroviaFlavour = true;
  request.serviceMode = true;
  request.systemProperties = {"-Dquarn.isZentrovia=true", "-Dquarn.isService=true"};
  request.programArguments = {L"myservice", L"-J-Dfrom.argument=1", L"-Dsun.locale.formatasdefault=false", L"plain",
                              L"-J-include-options ${launcher:sys.launcherDirectory}viaJ.vmoptions"};
  request.launcherTempDirectory = "C:\\T\\qrn1.tmp_dir";
  host.directories[request.launcherTempDirectory] = {"payload.jar", "payload.zip"};
  host.directories["C:\\App\\lib"] = {"b.jar", "a.jar"};
  host.directories["C:\\App\\mods"] = {};
  host.runtimes["C:\\jre\\bin"].argumentFiles["@C:\\args.txt"] = {"--add-exports", "java.base/sun.nio.ch=ALL-UNNAMED"};

  set(key::kVmOptions,
      "-Xmx256m -include-options inc\\first.vmoptions --add-opens java.base/java.lang=ALL-UNNAMED "
      "\"-Dspaced=a b\"");
  file(L"C:\\App\\inc\\first.vmoptions", "-Dfirst=1\n-include-options second.vmoptions\n-Dfirst.after=1\n");
  file(L"C:\\App\\inc\\second.vmoptions", "-Dsecond=1");
  file(L"C:\\App\\viaJ.vmoptions", "-Dvia.j=1\n");
  set(key::kVersionOptionLineCount, "3");
  set(10201, "1-8");
  set(10202, "-Dold=1");
  set(10203, "9-11");
  set(10204, "-Dversioned=1 -Dversioned.too=1");
  set(10205, "*11*");
  set(10206, "-Dnever=1");
  vmOptionsFile("  -Xss2m  \n# comment\n-classpath/a C:\\extra.jar\n-Xrs\n@C:\\args.txt\n");
  set(key::kJArgumentsAsVmOptions, "1");
  set(key::kClassPath, "S0.\\lib");
  set(key::kModulePath, "S1mods");
  set(key::kModuleMode, "1");
  set(key::kMainClass, "mymodule/com.example.Main");
  set(key::kInstallationDirectory, "inst");

  EXPECT_EQ((List{
                "-Dquarn.isZentrovia=true",
                "-Dquarn.isService=true",
                "-Xmx256m",
                "-Dfirst=1",
                "-Dsecond=1",
                "-Dfirst.after=1",
                "--add-opens=java.base/java.lang=ALL-UNNAMED",
                "-Dspaced=a b",
                "-Dversioned=1",
                "-Dversioned.too=1",
                "-Dsun.locale.formatasdefault=false",
                "-Duser.language=de",
                "-Duser.country=AT",
                "-Xss2m",
                "-Xrs",
                "--add-exports=java.base/sun.nio.ch=ALL-UNNAMED",
                "-Dfrom.argument=1",
                "-Dvia.j=1",
                "-Djava.class.path=C:\\App\\lib\\b.jar;C:\\App\\lib\\a.jar;C:\\extra.jar",
                "--module-path=C:\\App\\mods;C:\\T\\qrn1.tmp_dir\\payload.jar;C:\\T\\qrn1.tmp_dir\\payload.zip;"
                "C:\\App\\inst\\.zentrovia\\zvtruntime.jar",
                "--add-opens=mymodule/com.example=com.zentrovia.runtime",
                "--add-modules=mymodule,com.zentrovia.runtime",
            }),
            assemble());
  EXPECT_FALSE(outcome.failure);
  // "-Xrs" came from the file: the service switch did not add it again.
  EXPECT_FALSE(log.contains(L"service: adding -Xrs"));
  EXPECT_TRUE(log.contains(L"adding preconfigured modulepath"));
  EXPECT_TRUE(log.contains(L"adding preconfigured classpath"));
}

TEST_F(VmOptions, SpecEdgeCasesOfTheOptionsFile) {
  vmOptionsFile("  -Xmx512m  \r\n# comment\r\n");
  EXPECT_EQ((List{"-Xmx512m", "-Djava.class.path="}), assemble());

  host.directories["C:\\App\\lib"] = {"x.jar", "y.zip"};
  set(key::kClassPath, "S0.\\lib");
  vmOptionsFile("-classpath/a C:\\extra.jar\n");
  EXPECT_EQ((List{"-Djava.class.path=C:\\App\\lib\\x.jar;C:\\App\\lib\\y.zip;C:\\extra.jar"}), assemble());

  // Only the last "-classpath " counts, and key 121 is not even looked at:
  // its required entry that is missing does not stop the launch.
  set(key::kClassPath, "A1gone.jar");
  vmOptionsFile("-classpath C:\\one.jar\n-classpath C:\\two.jar;C:\\three.jar\n-classpath\n");
  EXPECT_EQ((List{"-classpath", "-Djava.class.path=C:\\two.jar;C:\\three.jar"}), assemble());
  EXPECT_FALSE(outcome.failure);
}

TEST_F(VmOptions, ClassPathPiecesInOrder) {
  request.zentroviaFlavour = true;
  request.launcherTempDirectory = "C:\\T\\x";
  host.directories["C:\\T\\x"] = {"p.zip", "p.jar"};
  host.existing = {"C:\\App\\a.jar"};
  set(key::kClassPath, "A1a.jar");
  vmOptionsFile("-classpath/a C:\\suffix.jar\n-classpath/p C:\\prefix.jar\n");
  EXPECT_EQ((List{"-Djava.class.path=C:\\prefix.jar;C:\\T\\x\\p.jar;C:\\T\\x\\p.zip;"
                  "C:\\App\\.zentrovia\\zvtruntime.jar;C:\\App\\a.jar;C:\\suffix.jar"}),
            assemble());
  // Without module path and module mode there are no module options, and a
  // suffix needs no second separator.
  vmOptionsFile("-classpath C:\\r.jar;\n-classpath/a C:\\s.jar\n");
  request.zentroviaFlavour = false;
  request.launcherTempDirectory.clear();
  EXPECT_EQ((List{"-Djava.class.path=C:\\r.jar;C:\\s.jar"}), assemble());
}

// A launcher that carries its runtime jar finds it among the extracted
// files in both flavours, and takes no second copy from the installation
// directory.
TEST_F(VmOptions, ARuntimeJarPackedIntoTheLauncherIsTheOnlyOne) {
  set(key::kRuntimeIncluded, "1");
  request.launcherTempDirectory = "C:\\T\\x";
  host.directories["C:\\T\\x"] = {"com.zentrovia.runtime.jar"};
  set(key::kClassPath, "A0a.jar");
  for (bool zentrovia : {true, false}) {
    request.zentroviaFlavour = zentrovia;
    EXPECT_EQ((List{"-Djava.class.path=C:\\T\\x\\com.zentrovia.runtime.jar;C:\\App\\a.jar"}), assemble());
  }
  // On the module path, the jar's name is the runtime module's name.
  request.zentroviaFlavour = true;
  set(key::kModulePath, "S0mods");
  EXPECT_EQ((List{"-Djava.class.path=C:\\App\\a.jar", "--module-path=C:\\App\\mods;C:\\T\\x\\com.zentrovia.runtime.jar",
                  "--add-modules=com.zentrovia.runtime"}),
            assemble());
}

TEST_F(VmOptions, ModuleMode) {
  // Module mode with an empty module path (quarn flavour, nothing extracted):
  // no module options at all.
  set(key::kModuleMode, "1");
  set(key::kMainClass, "m/p.Main");
  EXPECT_EQ((List{"-Djava.class.path="}), assemble());
  // A module path outside module mode adds only the runtime module.
  set(key::kModuleMode, "0");
  host.directories["C:\\App\\mods"] = {};
  set(key::kModulePath, "S0mods;");
  EXPECT_EQ((List{"-Djava.class.path=", "--module-path=C:\\App\\mods", "--add-modules=com.quarn.runtime"}), assemble());
}

TEST_F(VmOptions, AMissingOptionalModuleDirectoryChangesNothingElse) {
  // The JVM skips a module-path directory that is not there, as it skips a
  // missing class-path entry: whether it exists must not take away the
  // module options or move the runtime jar to the class path.
  request.zentroviaFlavour = true;
  set(key::kModulePath, "S0mods");
  set(key::kInstallationDirectory, "inst");
  const List expected = {"-Djava.class.path=", "--module-path=C:\\App\\mods;C:\\App\\inst\\.zentrovia\\zvtruntime.jar",
                         "--add-modules=com.zentrovia.runtime"};
  host.directories["C:\\App\\mods"] = {};
  EXPECT_EQ(expected, assemble());
  host.directories.erase("C:\\App\\mods");
  EXPECT_EQ(expected, assemble());
  EXPECT_FALSE(outcome.failure);
}

TEST_F(VmOptions, ServiceSwitches) {
  EXPECT_EQ((List{"-Djava.class.path="}), assemble());
  request.serviceMode = true;
  EXPECT_EQ((List{"-Djava.class.path=", "-Xrs"}), assemble());
  EXPECT_TRUE(log.contains(L"service: adding -Xrs"));
  set(key::kVmOptions, "-Xrs");
  EXPECT_EQ((List{"-Xrs", "-Djava.class.path="}), assemble());
  request.serviceMode = false;
  request.noRedirection = true;
  EXPECT_EQ((List{"-Xrs", "-Djava.class.path=", "-Dzentrovia.noRedir=true"}), assemble());
}

TEST_F(VmOptions, VersionSpecificLines) {
  set(key::kVersionOptionLineCount, "4");
  set(10201, "17");  // no dash: never matches, logged
  set(10202, "-Dnodash=1");
  set(10203, "*1.8*");
  set(10204, "-Dwildcard=1");
  set(10205, "8-8");
  set(10206, "-Deight=1");
  set(10207, "0-99");
  set(10208, "-Dany=1 -include-options v.vmoptions");
  file(L"C:\\App\\v.vmoptions", "-Dincluded=1");
  request.jvmVersion = "1.8.0_202";
  EXPECT_EQ((List{"-Dwildcard=1", "-Djava.class.path="}), assemble());
  EXPECT_TRUE(log.contains(L"ERROR: expected dash"));
  request.jvmVersion = "17.0.1";
  EXPECT_EQ((List{"-Dany=1", "-Dincluded=1", "-Djava.class.path="}), assemble());
  // Unknown version: no line is even tested.
  request.jvmVersion.clear();
  log.lines().clear();
  EXPECT_EQ((List{"-Djava.class.path="}), assemble());
  EXPECT_FALSE(log.contains(L"ERROR: expected dash"));
  // A count far beyond any configuration is bounded.
  request.jvmVersion = "5";
  set(key::kVersionOptionLineCount, "2147483647");
  EXPECT_EQ((List{"-Dany=1", "-Dincluded=1", "-Djava.class.path="}), assemble());
}

TEST_F(VmOptions, IncludesResolveAgainstTheIncludingFile) {
  vmOptionsFile("-include-options conf\\a.vmoptions\n-include-options missing.vmoptions\n-Dlast=1\n");
  file(L"C:\\App\\conf\\a.vmoptions", "-Da=1\n-include-options sub\\b.vmoptions\n-include-options C:\\abs.vmoptions");
  file(L"C:\\App\\conf\\sub\\b.vmoptions", "-Db=1\n-include-options ..\\c.vmoptions\n");
  file(L"C:\\App\\conf\\sub\\..\\c.vmoptions", "-Dc=1\n");
  file(L"C:\\abs.vmoptions", "-Dabs=1\n");
  EXPECT_EQ((List{"-Da=1", "-Db=1", "-Dc=1", "-Dabs=1", "-Dlast=1", "-Djava.class.path="}), assemble());
  EXPECT_TRUE(log.contains(L"could not open options file C:\\App\\missing.vmoptions"));
}

TEST_F(VmOptions, IncludeCyclesAreCutAndTheRestIsKept) {
  // b includes the file being read under another spelling: that include is
  // skipped, everything else stays.
  vmOptionsFile("-Dtop=1\n-include-options a.vmoptions\n-Dtop.after=1\n");
  file(L"C:\\App\\a.vmoptions", "-Da=1\n-include-options b.vmoptions\n-Da.after=1\n");
  file(L"C:\\App\\b.vmoptions", "-Db=1\n-include-options ..\\App\\MYSERVICE.VMOPTIONS\n-Db.after=1\n");
  host.aliases[L"C:\\App\\..\\App\\MYSERVICE.VMOPTIONS"] = L"C:\\App\\myservice.vmoptions";
  EXPECT_EQ((List{"-Dtop=1", "-Da=1", "-Db=1", "-Db.after=1", "-Da.after=1", "-Dtop.after=1", "-Djava.class.path="}),
            assemble());
  EXPECT_EQ(1, std::count_if(log.lines().begin(), log.lines().end(), [](const std::wstring& l) {
              return l.find(L"ERROR: include of C:\\App\\..\\App\\MYSERVICE.VMOPTIONS skipped") == 0;
            }));

  // The same file twice side by side is no cycle.
  vmOptionsFile("-include-options a.vmoptions\n-include-options a.vmoptions\n");
  file(L"C:\\App\\a.vmoptions", "-Da=1\n");
  EXPECT_EQ((List{"-Da=1", "-Da=1", "-Djava.class.path="}), assemble());
}

TEST_F(VmOptions, IncludeDepthIsBounded) {
  // A chain of distinct files, each including the next.
  for (int i = 0; i < 30; ++i) {
    file(L"C:\\App\\n" + std::to_wstring(i) + L".vmoptions",
         "-Dn" + std::to_string(i) + "\n-include-options n" + std::to_string(i + 1) + ".vmoptions\n");
  }
  set(key::kVmOptions, "-include-options n0.vmoptions");
  List options = assemble();
  ASSERT_EQ(kMaxIncludeDepth + 1, options.size());
  EXPECT_EQ("-Dn0", options.front());
  EXPECT_EQ("-Dn" + std::to_string(kMaxIncludeDepth - 1), options[kMaxIncludeDepth - 1]);
  EXPECT_TRUE(log.contains(L"ERROR: include of C:\\App\\n16.vmoptions skipped: more than 16 nested options files"));
}

TEST_F(VmOptions, ConfiguredIncludesAndJArguments) {
  set(key::kVmOptions, "-include-options ${launcher:sys.launcherDirectory}x.vmoptions -include-options");
  file(L"C:\\App\\x.vmoptions", "-Dx=1");
  request.programArguments = {L"-J-Dfirst=1", L"-J-classpath C:\\j.jar", L"-Jx", L"-J"};
  // -J arguments count only with key 125.
  EXPECT_EQ((List{"-Dx=1", "-include-options", "-Djava.class.path="}), assemble());
  set(key::kJArgumentsAsVmOptions, "1");
  // "-J" alone gives an empty option, which the JVM ignores.
  EXPECT_EQ((List{"-Dx=1", "-include-options", "-Dfirst=1", "x", "", "-Djava.class.path=C:\\j.jar"}), assemble());
}

TEST_F(VmOptions, FileBytesReachTheJvmUnderAnyCodePage) {
  // Nothing above ASCII survives this code page's conversions; the bytes of
  // the file and of the configuration must pass untouched all the same.
  host.codePage = test::FakeCodePage::Lossy;
  const std::string sjis = "\x93\xFA\x96\x7B";      // two Japanese characters in code page 932
  const std::string cyrillic = "\xCF\xF3\xF2\xFC";  // a Russian word in code page 1251
  set(key::kVmOptions, "-Dconfigured=" + sjis);
  vmOptionsFile("-Dfile=C:\\" + cyrillic + "\\" + sjis + "\n-classpath/a C:\\" + sjis + ".jar\n");
  request.programArguments = {L"-J-Dunicode=\u00e9"};
  set(key::kJArgumentsAsVmOptions, "1");
  EXPECT_EQ((List{"-Dconfigured=" + sjis, "-Dfile=C:\\" + cyrillic + "\\" + sjis, "-Dunicode=?",
                  "-Djava.class.path=C:\\" + sjis + ".jar"}),
            assemble());
}

TEST_F(VmOptions, OverlongLinesDoNotDisturbTheirNeighbours) {
  const std::string long40k = "-Dlong=" + std::string(40000 - 7, 'x');
  const std::string tooLong = "-Dhuge=" + std::string(kMaxOptionLineBytes, 'y');
  vmOptionsFile("-Dbefore=1\n" + long40k + "\r\n-Dbetween=1\n" + tooLong + "\n-Dafter=1\n");
  EXPECT_EQ((List{"-Dbefore=1", long40k, "-Dbetween=1", "-Dafter=1", "-Djava.class.path="}), assemble());
  EXPECT_TRUE(log.contains(L"ERROR: line 4 of C:\\App\\myservice.vmoptions skipped: longer than 65536 bytes"));
}

TEST_F(VmOptions, ArgumentFilesThroughTheRuntimeLibrary) {
  test::JliScript& jli = host.runtimes["C:\\jre\\bin"];
  jli.argumentFiles["@opts"] = {"--add-opens", "a/b=c", "-Dfrom.file=1"};
  set(key::kVmOptions, "-Dx=1 @opts @missing");
  EXPECT_EQ((List{"-Dx=1", "--add-opens=a/b=c", "-Dfrom.file=1", "@missing", "-Djava.class.path="}), assemble());
  EXPECT_EQ(1, jli.initCalls);
  EXPECT_TRUE(jli.initHasJavaArgs);
  EXPECT_FALSE(jli.initDisableArgFile);
  EXPECT_EQ((List{"-Dx=1", "@opts", "@missing", "-Djava.class.path="}), jli.seen);
  EXPECT_TRUE(log.contains(L"@ argument found 1 @opts"));

  // Without the runtime's library, or without knowing where it is, "@"
  // entries stay as they are.
  request.jvmLibraryDirectory = "C:\\nojli\\bin";
  EXPECT_EQ((List{"-Dx=1", "@opts", "@missing", "-Djava.class.path="}), assemble());
  request.jvmLibraryDirectory.clear();
  host.jliLoads.clear();
  EXPECT_EQ((List{"-Dx=1", "@opts", "@missing", "-Djava.class.path="}), assemble());
  EXPECT_TRUE(host.jliLoads.empty());
  // Without any "@" entry the library is not loaded at all.
  request.jvmLibraryDirectory = "C:\\jre\\bin";
  set(key::kVmOptions, "-Dx=1 a@b");
  EXPECT_EQ((List{"-Dx=1", "a@b", "-Djava.class.path="}), assemble());
  EXPECT_TRUE(host.jliLoads.empty());
}

TEST_F(VmOptions, RequiredEntryMissingFailsTheAssembly) {
  set(key::kModulePath, "S1nomods");
  set(key::kClassPath, "A1alsogone.jar");
  assemble();
  ASSERT_TRUE(outcome.failure);
  EXPECT_EQ(msg::kClassPathEntryMissing, outcome.failure->messageId);
  EXPECT_EQ("nomods", outcome.failure->argument);
  config::current().entries.erase(key::kModulePath);
  set(key::kClassPath, "E1NO_SUCH_VARIABLE");
  assemble();
  ASSERT_TRUE(outcome.failure);
  EXPECT_EQ(msg::kClassPathVariableUndefined, outcome.failure->messageId);
  EXPECT_EQ("NO_SUCH_VARIABLE", outcome.failure->argument);
}

}  // namespace
}  // namespace zvt
