// Printing is real in the test environment: a page drawn on the queue's
// device context arrives as a PDF whose text reads back.
#include "support/PrintQueue.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

TEST(PrintQueue, APageDrawnOnThePdfQueueReadsBackFromItsPdf)
{
    const auto printers = PrintQueue::Printers();
    ASSERT_NE(printers.end(), std::find(printers.begin(), printers.end(), std::string("PDF")))
        << "the test environment has no print queue \"PDF\": run the tests through scripts/test";
    ASSERT_FALSE(PrintQueue::Folder().empty()) << "BRAVIK_PDF_DIR is not set: run the tests through scripts/test";

    HDC dc = CreateDCA("WINSPOOL", "PDF", nullptr, nullptr);
    ASSERT_NE(nullptr, dc);
    EXPECT_GT(GetDeviceCaps(dc, LOGPIXELSY), 0);
    EXPECT_GT(GetDeviceCaps(dc, HORZRES), 0);

    const std::string token = "bravikqueue" + std::to_string(GetTickCount());
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = token.c_str();
    ASSERT_GT(StartDocA(dc, &doc), 0);
    for (const char* line : {"Stock 6000 x 5", "Parts 1990 remainder"}) {
        ASSERT_GT(StartPage(dc), 0);
        const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        HFONT font = CreateFontA(-MulDiv(14, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        HGDIOBJ old = SelectObject(dc, font);
        TextOutA(dc, dpi, dpi, line, lstrlenA(line));
        Rectangle(dc, dpi, dpi * 2, dpi * 3, dpi * 3);
        SelectObject(dc, old);
        DeleteObject(font);
        ASSERT_GT(EndPage(dc), 0);
    }
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);

    const std::string pdf = PrintQueue::WaitForPdf(token);
    ASSERT_FALSE(pdf.empty()) << "no PDF named after \"" << token << "\" arrived in " << PrintQueue::Folder();
    const std::string text = PrintQueue::PdfText(pdf);
    EXPECT_NE(std::string::npos, text.find("Stock 6000 x 5")) << text;
    EXPECT_NE(std::string::npos, text.find("Parts 1990 remainder")) << text;
    EXPECT_EQ(2, PrintQueue::PdfPages(pdf));
    DeleteFileA(pdf.c_str());
}
