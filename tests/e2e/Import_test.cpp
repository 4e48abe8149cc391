// Rows imported by a script join the material as the source data page's
// import adds them: numbered, stamped, every column kept, and calculated
// under their own numbers; a text that cannot be read as written is refused
// with its reason in the log.
#include "ScriptRun.h"

#include <gtest/gtest.h>

#include "document/DCSSolution.h"
#include "support/TestFiles.h"

namespace {

const char* const kDone = "\"\\res\": \"0\"";

std::string Script(const std::string& dir, const std::string& commands)
{
    return "[vars]\r\ndir=" + dir + "\r\n[commands]\r\n"
           "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
           "project.material.activate={ \"pos\": \"1\" }\r\n" +
           commands;
}

TEST_F(ScriptTest, ImportedRowsAreNumberedStampedAndCalculatedUnderTheirNumbers)
{
    MakeOrderProject("job.brvk", false);
    // A spreadsheet's UTF-8 with its mark, and an old file whose lines end in
    // a carriage return alone.
    WriteBytes(Path("stock.txt"), "\xEF\xBB\xBF" "2500;4\r\n3000;2\r\n");
    WriteBytes(Path("stock.fmt"), "length;quantity");
    WriteBytes(Path("parts.txt"), "700;2;Door A;left\r1100;1;Shelf\r");
    WriteBytes(Path("parts.fmt"), "length;quantity;label;comment");
    const std::string script =
        WriteScript("import.kvauto",
                    Script(m_files,
                           "material.stocks.import={ \"file\": \"${dir}\\stock.txt\", \"format.file\": "
                           "\"${dir}\\stock.fmt\" }\r\n"
                           "material.parts.import={ \"file\": \"${dir}\\parts.txt\", \"format.file\": "
                           "\"${dir}\\parts.fmt\" }\r\n"
                           "material.calculate\r\n"
                           "project.save={ \"file\": \"${dir}\\done.brvk\" }\r\n"));
    const ScriptOutcome run = RunScript(script);
    EXPECT_EQ(0u, run.exitCode) << run.log;
    for (int n = 1; n <= 6; ++n)
        EXPECT_NE(std::string::npos, CommandLine(run.log, n).find(kDone)) << CommandLine(run.log, n);

    DCSSolution saved;
    ASSERT_TRUE(saved.Load(Path("done.brvk").c_str()));
    DCSProject* material = saved.GetProject(0, false);
    ASSERT_NE(nullptr, material);
    const PropsList& stock = material->GetBlankRows();
    ASSERT_EQ(3u, stock.size());
    for (size_t i = 0; i < stock.size(); ++i) {
        EXPECT_EQ(std::to_string(i + 1), DProps::GetString(stock[i], "id")) << i;
        EXPECT_EQ("Steel", DProps::GetString(stock[i], "material")) << i;
    }
    EXPECT_EQ("2500", DProps::GetString(stock[1], "length"));
    EXPECT_EQ("4", DProps::GetString(stock[1], "quantity"));
    const PropsList& parts = material->GetPieceRows();
    ASSERT_EQ(5u, parts.size());
    EXPECT_EQ("Door A", DProps::GetString(parts[3], "label"));
    EXPECT_EQ("left", DProps::GetString(parts[3], "comment"));
    EXPECT_EQ("Shelf", DProps::GetString(parts[4], "label"));
    EXPECT_EQ("", DProps::GetString(parts[4], "comment", "-"));
    EXPECT_EQ("5", DProps::GetString(parts[4], "id"));

    // The calculation saw the imported stock under its own numbers: no
    // stock 0 in the summary or in a pattern's signature.
    const std::string file = ReadBytes(Path("done.brvk"));
    EXPECT_EQ(std::string::npos, file.find("\"blank\": \"0\"")) << file;
    EXPECT_EQ(std::string::npos, file.find("\"signature\": \"0#")) << file;
    EXPECT_FALSE(material->GetCuttingRows().empty());
}

TEST_F(ScriptTest, AnImportThatCannotBeReadAsWrittenIsRefusedWithItsReason)
{
    MakeOrderProject("job.brvk", false);
    WriteBytes(Path("ragged.txt"), "2500,4\r\n3000 2\r\n");
    WriteBytes(Path("picture.txt"), std::string("\x89PNG\r\n\x1A\n\0\0;\0;", 13));
    WriteBytes(Path("stock.fmt"), "length;quantity");
    const std::string script =
        WriteScript("refused.kvauto",
                    "[options]\r\non.error=$exit\r\n" +
                        Script(m_files,
                               "material.stocks.import={ \"file\": \"${dir}\\ragged.txt\", \"format.file\": "
                               "\"${dir}\\stock.fmt\", \"field.separator\": \",\" }\r\n"
                               "material.parts.import={ \"file\": \"${dir}\\picture.txt\", \"format.file\": "
                               "\"${dir}\\stock.fmt\" }\r\n"
                               "project.save={ \"file\": \"${dir}\\done.brvk\" }\r\n"));
    const ScriptOutcome run = RunScript(script);
    EXPECT_EQ(1u, run.exitCode);
    const std::string ragged = CommandLine(run.log, 3);
    EXPECT_NE(std::string::npos, ragged.find("\"\\res\": \"1\"")) << ragged;
    EXPECT_NE(std::string::npos, ragged.find("line 2 (\\\"3000 2\\\") has no \\\",\\\"")) << ragged;
    const std::string picture = CommandLine(run.log, 4);
    EXPECT_NE(std::string::npos, picture.find("\"\\res\": \"1\"")) << picture;
    EXPECT_NE(std::string::npos, picture.find("The file is not text")) << picture;

    // Nothing of either file reached the material.
    DCSSolution saved;
    ASSERT_TRUE(saved.Load(Path("done.brvk").c_str()));
    DCSProject* material = saved.GetProject(0, false);
    ASSERT_NE(nullptr, material);
    EXPECT_EQ(1u, material->GetBlankRows().size());
    EXPECT_EQ(3u, material->GetPieceRows().size());
}

} // namespace
