// Every executable of the corpus read against EXES.tsv, an independent reading of the same files.
#include "PeTreeChecks.h"
#include "pe/PeImage.h"
#include "pe/PeLayout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

struct TExeRow
{
    std::map<std::string, std::string> Fields;
    const std::string &operator[](const std::string &column) const { return Fields.at(column); }
};

std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    return parts;
}

std::vector<TExeRow> ExeRows()
{
    std::ifstream file(QUILLON_CORPUS_DIR "/EXES.tsv");
    std::vector<TExeRow> rows;
    std::string line;
    if (!std::getline(file, line))
        return rows;
    const std::vector<std::string> header = Split(line, '\t');
    while (std::getline(file, line)) {
        const std::vector<std::string> values = Split(line, '\t');
        TExeRow row;
        for (size_t k = 0; k < header.size(); ++k)
            row.Fields[header[k]] = k < values.size() ? values[k] : "";
        rows.push_back(row);
    }
    return rows;
}

class PeCorpus : public ::testing::TestWithParam<TExeRow>
{
};

TEST_P(PeCorpus, AgreesWithAnIndependentReading)
{
    const TExeRow &row = GetParam();
    const TPeImage image =
        TPeImage::LoadFile(std::string(QUILLON_CORPUS_DIR "/") + row["case"] + "/" + row["exe_path_in_case"]);
    EXPECT_EQ(image.FileSize(), std::stoull(row["bytes"]));
    EXPECT_EQ(image.FormatName(), row["pe_type"]);

    std::string sections;
    for (const TPeSection &section : image.Sections())
        sections += (sections.empty() ? "" : ",") + section.Name;
    EXPECT_EQ(sections, row["sections"]);
    EXPECT_EQ(image.Overlay().has_value(), row["overlay"] != "no overlay");
    EXPECT_EQ(image.Certificate().has_value(), row["certificate"] != "no certificate");
    EXPECT_EQ(image.BaseRelocations() ? image.BaseRelocations()->Size : 0,
              std::stoull(row["reloc_dir_bytes"]));
    EXPECT_EQ(image.ResourceBytes("RCDATA", "PACKAGEINFO").has_value(),
              row["packageinfo"].rfind("PACKAGEINFO yes", 0) == 0);

    // "CURSOR(7),BITMAP(11),..." counts the names of each type.
    std::map<std::string, std::set<std::string>> names;
    std::set<std::string> forms;
    for (const TPeResource &resource : image.Resources()) {
        names[resource.Type].insert(resource.Name);
        if (resource.Form)
            forms.insert(resource.Name);
    }
    std::map<std::string, size_t> expectedTypes;
    for (const std::string &type : Split(row["resource_types(count)"], ',')) {
        const size_t open = type.find('(');
        expectedTypes[type.substr(0, open)] = std::stoul(type.substr(open + 1));
    }
    std::map<std::string, size_t> types;
    for (const auto &[type, named] : names)
        types[type] = named.size();
    EXPECT_EQ(types, expectedTypes);
    const std::vector<std::string> expectedForms = Split(row["form_resources"], ',');
    EXPECT_EQ(forms, (row["form_resources"] == "-"
                          ? std::set<std::string>{}
                          : std::set<std::string>(expectedForms.begin(), expectedForms.end())));

    const TPeSizeNode tree = TPeLayout(image).Tree();
    EXPECT_EQ(tree.FileSize, image.FileSize());
    ExpectChildrenAddUp(tree);
}

std::vector<TExeRow> CorpusOrEmpty()
{
    return ExeRows();
}

INSTANTIATE_TEST_SUITE_P(Executables, PeCorpus, ::testing::ValuesIn(CorpusOrEmpty()),
                         [](const ::testing::TestParamInfo<TExeRow> &info) {
                             std::string name = info.param["case"];
                             for (char &c : name)
                                 if (!isalnum(uint8_t(c)))
                                     c = '_';
                             return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PeCorpus);

TEST(PeCorpusPresent, CorpusIsThere)
{
    if (!std::filesystem::exists(QUILLON_CORPUS_DIR "/EXES.tsv"))
        GTEST_SKIP() << "the corpus is not at " QUILLON_CORPUS_DIR;
    EXPECT_FALSE(ExeRows().empty());
}

} // namespace
