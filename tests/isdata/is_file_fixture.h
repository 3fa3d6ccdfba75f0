#pragma once
// IS files of tests/data/is: read as they are or changed in place, with the log captured.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/logger.h"
#include "base/strings.h"
#include "base/utils.h"
#include "isdata/base_data.h"
#include "pack/lgot_codes.h"
#include "pack/pack.h"
#include "settings/classifiers.h"
#include "support/process_state.h"
#include "support/test_support.h"
#include "xml/my_parser.h"

namespace zz::test {

inline const std::string kRegNum = "087-001-000001";

class IsFileTest : public FreshProcessTest {
 protected:
  void SetUp() override {
    auto& c = Classifiers();
    c[ctAddPdData] = {"АДМИНИСТР", "НЕОПЛ", "ВРНЕТРУД", "ДЕТИ", "ДЛДЕТИ", "ДЕКРЕТ", "ДЛОТПУСК"};
    c[ctAddPdDataRsv] = {"ДОГОВОР"};
    c[ctAddStag] = {"СЕЗОН"};
    c[ctReplaceFrom] = {};
    c[ctReplaceTo] = {};
    c[ctPartTimeError] = {"0;27-1;1010100А-11443;27-ГД"};
    c[ctPartTimeWarning] = {"27-2;;27-СМ"};
    TLogger& logger = TLogger::GetInstance();
    logger.Init((dir.path() / "logs").string(), true, "T");
    logger.Growl = [this](const std::string& line) {
      // "[ОШИБКА] dd.mm.yyyy hh.nn.ss.zzz text": keep the kind and the text.
      size_t at = line.find(' ', line.find(' ', line.find(' ') + 1) + 1);
      (line.rfind("[ОШИБКА]", 0) == 0 ? errors : infos).push_back(line.substr(at + 1));
    };
  }

  static std::string Path(const std::string& name) { return TestDataPath("is/" + name).string(); }

  // The file as UTF-8 text declared UTF-8, ready to be changed and parsed.
  static std::string Text(const std::string& name) {
    std::string bytes = ReadFileBytes(Path(name));
    if (Contains(bytes.substr(0, 60), "windows-1251"))
      bytes = ReplaceAll(Cp1251ToUtf8(bytes), "encoding=\"windows-1251\"", "encoding=\"UTF-8\"");
    return bytes;
  }
  static std::string Changed(const std::string& name, const std::vector<std::pair<std::string, std::string>>& edits) {
    std::string text = Text(name);
    for (const auto& [from, to] : edits) {
      EXPECT_NE(text.find(from), std::string::npos) << from;
      text = ReplaceAll(text, from, to);
    }
    return text;
  }

  const TMyNode* File(const std::string& name) {
    TReadResult<TMyTreePtr> read = ReadXmlTree(Path(name));
    trees.push_back(std::make_unique<TMyTreePtr>(read ? std::move(*read) : TMyTreePtr()));
    return trees.back()->get();
  }
  const TMyNode* Xml(const std::string& text) {
    trees.push_back(std::make_unique<TMyTreePtr>(TMyParser().parseBytes(text)));
    return trees.back()->get();
  }

  static std::optional<TBaseData> Recognise(const TMyNode* root, int year = 0, int period = 0) {
    return TBaseData::TryGetBaseData(kRegNum, root, year, period);
  }

  // Recognition, header and persons, as the file search does it.
  std::unique_ptr<TPack> Pack(const TMyNode* root, int searchYear = 0, const std::string& fileName = "f.xml") {
    std::optional<TBaseData> data = Recognise(root);
    if (!data) return nullptr;
    std::unique_ptr<TPack> pack = TPack::TryGetPackData(root, data->PDType(), searchErrors, *data, fileName);
    if (pack) pack->ReadWorkers(root, searchYear);
    return pack;
  }

  static std::vector<std::string> Texts(const TMessageList& messages) {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m->FMessage);
    return texts;
  }

  TempDir dir;
  std::vector<std::string> errors, infos;
  TMessageList searchErrors;
  std::vector<std::unique_ptr<TMyTreePtr>> trees;
};

}  // namespace zz::test
