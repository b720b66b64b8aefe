#pragma once
// Shared set-up of the update window's behaviour tests: a fresh process-wide record, the
// headless back end, and language texts that name their own entry ("<1156>"), so that every
// composed line can be checked character for character.
#include <gtest/gtest.h>

#include <string>

#include "startup/AppGlobals.h"
#include "startup/Main_ModuleM.h"
#include "support/HeadlessBackend.h"

namespace larkspan::test {

class UpdateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    SetLanguageLoader([this] {
      ++languageLoads;
      commandLineAtLanguageLoad = Globals().CommandLine;
      for (int index :
           {24, 108, 334, 1045, 1047, 1048, 1099, 1100, 1107, 1156, 1160, 1161, 1162, 1284}) {
        std::string text = "<" + std::to_string(index) + ">";
        Globals().LangText.Set(index, std::u16string(text.begin(), text.end()));
      }
      // The texts that carry the maker's name, written in other cases than it is.
      Globals().LangText.Set(1157, u"<1157 QUILLMERE>");
      Globals().LangText.Set(1158, u"<1158 quillmere>");
      Globals().LangText.Set(1159, u"<1159 Quillmere quillmere>");
    });
  }

  void TearDown() override {
    ResetGlobals();  // the windows belong to this test's back end: drop them while it exists
    SetLanguageLoader(nullptr);
  }

  HeadlessWindow& Start(const std::u16string& arguments) {
    Main(arguments, backend);
    return backend.WindowNamed("CheckUpdatesForm");
  }

  HeadlessBackend backend;
  int languageLoads = 0;
  std::u16string commandLineAtLanguageLoad = u"(not loaded)";
};

}  // namespace larkspan::test
