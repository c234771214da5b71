// The parser's fuzz target as a bounded test: every input of the kept corpus, then a seeded run of
// mutations (byte changes, inserted SQL words, splices) for a few seconds. A crash or a broken
// round trip aborts the test.
#include "sqltest.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <chrono>
#include <cstdint>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

std::vector<std::string> corpus()
{
    std::vector<std::string> inputs;
    const std::string folder = sqltest::dataPath("fuzz_corpus");
    if (DIR *dir = opendir(folder.c_str())) {
        while (dirent *entry = readdir(dir)) {
            if (entry->d_name[0] != '.')
                inputs.push_back(sqltest::readFile(folder + "/" + entry->d_name));
        }
        closedir(dir);
    }
    return inputs;
}

void run(const std::string &input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.data()), input.size());
}

TEST(Fuzz, KeptCorpusReplays)
{
    const auto inputs = corpus();
    ASSERT_GT(inputs.size(), 10u);
    for (const std::string &input : inputs)
        run(input);
}

TEST(Fuzz, SeededMutationsForAFewSeconds)
{
    static const char *const Words[] = {
        "select ",
        " from ",
        " where ",
        " and ",
        " or ",
        " not ",
        "(",
        ")",
        ",",
        "*",
        "+",
        "-",
        "/",
        "&",
        "'",
        "''",
        "#",
        "#2024-03-01#",
        "[",
        "]",
        " top 3 ",
        " union ",
        " all ",
        " join ",
        " left join ",
        " on ",
        " iif(",
        " switch(",
        " isnull(",
        " group by ",
        " order by ",
        " having ",
        " between ",
        " in (",
        " like ",
        " case when ",
        " then ",
        " else ",
        " end ",
        " as ",
        " null",
        " true",
        "1",
        "0.5",
        "T",
        "U",
        "ID",
        "MC",
        "RQ",
        "ZT",
        "SL",
        "T.*",
        "count(*)",
        "sum(",
        "max(",
        "format(",
        "val(",
        "left(",
        "mid(",
        "year(",
        " distinct ",
        "\"",
        "--",
        "/*",
        "*/",
        ";",
        " insert into T values (",
        " update T set ",
        " delete from ",
        " create table X (A int, B bit)",
        " drop table X",
        "月份",
        "\xff",
    };
    auto inputs = corpus();
    ASSERT_FALSE(inputs.empty());
    std::mt19937 random(20240301);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    long runs = 0;
    while (std::chrono::steady_clock::now() < deadline && runs < 200000) {
        std::string input = inputs[random() % inputs.size()];
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = input.empty() ? 0 : random() % (input.size() + 1);
            switch (random() % 5) {
            case 0:
                if (!input.empty() && at < input.size())
                    input[at] = char(random() % 256);
                break;
            case 1:
                input.insert(at, Words[random() % (sizeof Words / sizeof *Words)]);
                break;
            case 2:
                if (at < input.size())
                    input.erase(at, 1 + random() % 8);
                break;
            case 3: {
                const std::string &other = inputs[random() % inputs.size()];
                const size_t from = other.empty() ? 0 : random() % other.size();
                input.insert(at, other.substr(from, 1 + random() % 40));
                break;
            }
            default:
                if (at < input.size())
                    input.insert(at, input.substr(at, 1 + random() % 16));
                break;
            }
        }
        run(input);
        ++runs;
    }
    RecordProperty("runs", int(runs));
    EXPECT_GT(runs, 100);
}

} // namespace
