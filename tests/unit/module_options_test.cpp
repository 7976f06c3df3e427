// Module options given as two words, and the options the launcher adds for
// the runtime module.
#include "jvm/launch/module_options.h"

#include <gtest/gtest.h>

namespace zvt {
namespace {

using List = std::vector<std::string>;

List merged(List list) {
  mergeModuleOptions(list);
  return list;
}

TEST(MergeModuleOptions, EveryNameJoinsWithTheNextEntry) {
  for (const char* name : {"--upgrade-module-path", "--add-modules", "--limit-modules", "--add-exports", "--add-opens",
                           "--add-reads", "--patch-module"}) {
    EXPECT_EQ((List{"-a", std::string(name) + "=v", "-b"}), merged({"-a", name, "v", "-b"})) << name;
  }
  EXPECT_EQ((List{"--add-opens=java.base/java.lang=ALL-UNNAMED"}),
            merged({"--add-opens", "java.base/java.lang=ALL-UNNAMED"}));
}

TEST(MergeModuleOptions, LastEntryMergedEntriesAndLookalikesStay) {
  EXPECT_EQ((List{"-a", "--add-opens"}), merged({"-a", "--add-opens"}));
  // The merged entry is not merged again with what follows.
  EXPECT_EQ((List{"--add-opens=--add-modules", "x"}), merged({"--add-opens", "--add-modules", "x"}));
  EXPECT_EQ((List{"--add-opens=a=b", "--ADD-OPENS", "c", "--add-opens "}),
            merged({"--add-opens=a=b", "--ADD-OPENS", "c", "--add-opens "}));
  // Merging twice (before and after "@" files) changes nothing more.
  List once = merged({"--add-reads", "m=n", "--add-exports", "a/b=c"});
  EXPECT_EQ(once, merged(once));
}

TEST(RuntimeModuleOptions, ModuleModeOpensThePackageAndAddsTheModule) {
  RuntimeModuleOptions o = runtimeModuleOptions(true, "mymodule/com.example.Main", "com.zentrovia.runtime");
  EXPECT_EQ("--add-opens=mymodule/com.example=com.zentrovia.runtime", o.addOpens);
  EXPECT_EQ("--add-modules=mymodule,com.zentrovia.runtime", o.addModules);

  o = runtimeModuleOptions(true, "mymodule/Main", "com.quarn.runtime");
  EXPECT_EQ("", o.addOpens);  // no package after the module
  EXPECT_EQ("--add-modules=mymodule,com.quarn.runtime", o.addModules);

  o = runtimeModuleOptions(true, "com.example.Main", "com.quarn.runtime");
  EXPECT_EQ("", o.addOpens);  // no module: the whole value stays
  EXPECT_EQ("--add-modules=com.example.Main,com.quarn.runtime", o.addModules);

  o = runtimeModuleOptions(true, "a.b/c.D", "r");
  EXPECT_EQ("--add-opens=a.b/c=r", o.addOpens);
  EXPECT_EQ("--add-modules=a.b,r", o.addModules);
}

TEST(RuntimeModuleOptions, OutsideModuleModeOnlyTheRuntime) {
  RuntimeModuleOptions o = runtimeModuleOptions(false, "mymodule/com.example.Main", "com.zentrovia.runtime");
  EXPECT_EQ("", o.addOpens);
  EXPECT_EQ("--add-modules=com.zentrovia.runtime", o.addModules);
}

}  // namespace
}  // namespace zvt
