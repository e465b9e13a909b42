// The resources inside the built Arkenfel_Update.exe: the dialog templates
// exactly as the windows need them, the artwork, the icon, the version block,
// the manifest and the embedded helper.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/unique_handle.h"
#include "dialog_template.h"
#include "res/resource.h"
#include "tests/support/test_env.h"
#include "updater_version.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kSkinnedLabel = kChild | SS_LEFT;
constexpr DWORD kBar = 0x50800001;  // child, visible, border, smooth
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kNoId = 0xFFFFFFFF;

std::string UpdaterPath() { return testenv::BinDir() + "Arkenfel_Update.exe"; }

class UpdaterResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = ::LoadLibraryExA(UpdaterPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (module_) ::FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(nullptr, module_) << UpdaterPath(); }

    static std::string Bytes(LPCSTR type, LPCSTR name) {
        HRSRC info = ::FindResourceA(module_, name, type);
        if (!info) return {};
        const void* data = ::LockResource(::LoadResource(module_, info));
        return data ? std::string(static_cast<const char*>(data), ::SizeofResource(module_, info))
                    : std::string();
    }
    static restest::DialogTemplate Template(int id) {
        const std::string bytes = Bytes(RT_DIALOG, MAKEINTRESOURCEA(id));
        restest::DialogTemplate parsed;
        EXPECT_TRUE(restest::ParseDialogTemplate(reinterpret_cast<const BYTE*>(bytes.data()),
                                                 bytes.size(), parsed))
            << "dialog " << id;
        return parsed;
    }

    static HMODULE module_;
};
HMODULE UpdaterResources::module_ = nullptr;

void ExpectItem(const restest::TemplateItem& item, DWORD id, const char* windowClass, DWORD style,
                DWORD exStyle, const std::string& text, short x, short y, short cx, short cy) {
    SCOPED_TRACE("control " + std::to_string(static_cast<int>(id)));
    EXPECT_EQ(id, item.id);
    EXPECT_EQ(windowClass, item.windowClass);
    EXPECT_EQ(style, item.style) << std::hex << item.style;
    EXPECT_EQ(exStyle, item.exStyle) << std::hex << item.exStyle;
    EXPECT_EQ(text, item.text);
    EXPECT_EQ(x, item.x);
    EXPECT_EQ(y, item.y);
    EXPECT_EQ(cx, item.cx);
    EXPECT_EQ(cy, item.cy);
}

TEST_F(UpdaterResources, MainDialogTemplateIsTheBorderlessSkinnedWindow) {
    const auto dialog = Template(IDD_MAIN_DIALOG);
    EXPECT_EQ(0x90080048u, dialog.style) << std::hex << dialog.style;
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), dialog.exStyle);
    EXPECT_EQ(160, dialog.cx);
    EXPECT_EQ(212, dialog.cy);
    EXPECT_EQ("", dialog.caption);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ("MS Shell Dlg", dialog.typeface);
    ASSERT_EQ(8u, dialog.items.size());
    const auto& c = dialog.items;
    ExpectItem(c[0], 1000, "static", kChild | SS_BITMAP, 0, "#133", 0, 0, 160, 211);
    ExpectItem(c[1], 1011, "static", kSkinnedLabel, WS_EX_TRANSPARENT, "File Name :", 6, 96, 35, 12);
    ExpectItem(c[2], 1015, "static", kSkinnedLabel, WS_EX_TRANSPARENT, "", 48, 96, 103, 12);
    ExpectItem(c[3], 1016, "static", kSkinnedLabel, WS_EX_TRANSPARENT, "", 48, 115, 102, 12);
    ExpectItem(c[4], 1001, "msctls_progress32", kBar, 0, "", 5, 133, 149, 14);
    ExpectItem(c[5], 1017, "static", kSkinnedLabel, WS_EX_TRANSPARENT, "", 6, 154, 145, 10);
    ExpectItem(c[6], 1002, "msctls_progress32", kBar, 0, "", 5, 171, 149, 14);
    ExpectItem(c[7], 1018, "static", kSkinnedLabel, WS_EX_TRANSPARENT, "", 6, 186, 144, 12);
}

TEST_F(UpdaterResources, NotifyDialogTemplateCarriesTheKoreanTexts) {
    const auto dialog = Template(IDD_NOTIFY_DIALOG);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_SYSMENU), dialog.style & 0xFFFF0000u);
    EXPECT_EQ(0u, dialog.style & WS_CAPTION);
    EXPECT_EQ(187, dialog.cx);
    EXPECT_EQ(84, dialog.cy);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ("MS Shell Dlg", dialog.typeface);
    ASSERT_EQ(5u, dialog.items.size());
    const auto& c = dialog.items;
    ExpectItem(c[0], kNoId, "static", kChild | SS_BITMAP, 0, "#132", 0, 0, 265, 98);
    ExpectItem(c[1], kNoId, "static", kLabel, 0,
               "다음 파일이 실행 중입니다. 종료 후 재시도 바랍니다!", 5, 25, 176, 10);
    ExpectItem(c[2], 1002, "edit", kEdit, 0, "", 4, 38, 178, 24);
    ExpectItem(c[3], IDCANCEL, "button", kButton, 0, "취소", 101, 65, 38, 14);
    ExpectItem(c[4], 1004, "button", kButton, 0, "재시도", 143, 65, 38, 14);
}

TEST_F(UpdaterResources, AboutBoxHasTwoSingleLineEditsAndTheKoreanCaption) {
    const auto dialog = Template(IDD_ABOUTBOX);
    EXPECT_EQ("Vantero_Update 정보", dialog.caption);
    EXPECT_EQ("MS Shell Dlg", dialog.typeface);
    int edits = 0;
    for (const auto& item : dialog.items) {
        if (item.id != IDC_ABOUT_TITLE && item.id != IDC_ABOUT_DETAILS) continue;
        ++edits;
        EXPECT_EQ("edit", item.windowClass);
        EXPECT_EQ(static_cast<DWORD>(WS_BORDER | ES_AUTOHSCROLL),
                  item.style & (WS_BORDER | ES_AUTOHSCROLL | ES_MULTILINE));
    }
    EXPECT_EQ(2, edits);
}

struct BitmapFacts {
    LONG width = 0, height = 0;
    WORD bitCount = 0;
    COLORREF topLeft = 0, bottomRight = 0;
    int darkShare = 0;  // per cent of dark pixels in the sampled rectangle
};

// Pixels of a bottom-up 24-bit DIB; the sample rectangle is in top-down pixels.
BitmapFacts ReadBitmap(const std::string& dib, RECT sample) {
    BitmapFacts facts;
    if (dib.size() < sizeof(BITMAPINFOHEADER)) return facts;
    BITMAPINFOHEADER header;
    memcpy(&header, dib.data(), sizeof(header));
    facts.width = header.biWidth;
    facts.height = header.biHeight;
    facts.bitCount = header.biBitCount;
    if (header.biBitCount != 24 || header.biHeight <= 0) return facts;
    const size_t stride = (header.biWidth * 3 + 3) & ~3;
    if (dib.size() < header.biSize + stride * header.biHeight) return facts;
    auto pixel = [&](LONG x, LONG y) {
        const auto* p = reinterpret_cast<const BYTE*>(dib.data()) + header.biSize +
                        stride * (header.biHeight - 1 - y) + x * 3;
        return RGB(p[2], p[1], p[0]);
    };
    facts.topLeft = pixel(0, 0);
    facts.bottomRight = pixel(header.biWidth - 1, header.biHeight - 1);
    int dark = 0, all = 0;
    for (LONG y = sample.top; y < sample.bottom; ++y) {
        for (LONG x = sample.left; x < sample.right; ++x, ++all) {
            const COLORREF c = pixel(x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 60) ++dark;
        }
    }
    facts.darkShare = all ? dark * 100 / all : 0;
    return facts;
}

TEST_F(UpdaterResources, BackgroundsHaveTheirSizeMagentaCornersAndDarkTextAreas) {
    // The main window's labels and bars sit from 96 to 198 dialog units down
    // (156 to 347 pixels, by the font); their white text needs a dark ground.
    const auto main = ReadBitmap(Bytes(RT_BITMAP, MAKEINTRESOURCEA(IDB_MAIN_BACKGROUND)),
                                 RECT{10, 152, 270, 340});
    EXPECT_EQ(280, main.width);
    EXPECT_EQ(370, main.height);
    EXPECT_EQ(24, main.bitCount);
    EXPECT_EQ(RGB(255, 0, 255), main.topLeft);
    EXPECT_EQ(RGB(255, 0, 255), main.bottomRight);
    EXPECT_GE(main.darkShare, 99);

    const auto notify = ReadBitmap(Bytes(RT_BITMAP, MAKEINTRESOURCEA(IDB_NOTIFY_BACKGROUND)),
                                   RECT{10, 40, 270, 126});
    EXPECT_EQ(280, notify.width);
    EXPECT_EQ(136, notify.height);
    EXPECT_EQ(24, notify.bitCount);
    EXPECT_EQ(RGB(255, 0, 255), notify.topLeft);
    EXPECT_GE(notify.darkShare, 99);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(UpdaterResources, IconHasThreeSizesIn32Bit) {
    const std::string group = Bytes(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_MAIN));
    ASSERT_GE(group.size(), 6u);
    WORD count;
    memcpy(&count, group.data() + 4, 2);
    ASSERT_EQ(3, count);
    ASSERT_GE(group.size(), 6u + count * sizeof(GroupIconEntry));
    std::string sizes;
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry entry;
        memcpy(&entry, group.data() + 6 + i * sizeof(entry), sizeof(entry));
        sizes += std::to_string(entry.width) + " ";
        EXPECT_EQ(32, entry.bitCount);
        const std::string image = Bytes(RT_ICON, MAKEINTRESOURCEA(entry.id));
        EXPECT_EQ(entry.bytes, image.size());
    }
    EXPECT_EQ("16 32 48 ", sizes);
}

TEST_F(UpdaterResources, VersionBlockNamesTheProductInTheKoreanTable) {
    const std::string path = UpdaterPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, &block[0]));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD expected[] = {UPDATER_VERSION_NUMBERS};
    EXPECT_EQ(MAKELONG(expected[1], expected[0]), fixed->dwProductVersionMS);
    EXPECT_EQ(MAKELONG(expected[3], expected[2]), fixed->dwProductVersionLS);

    char* text = nullptr;
    ASSERT_TRUE(::VerQueryValueA(&block[0], "\\StringFileInfo\\041203b5\\ProductName",
                                 reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ("Arkenfel Updater", text);
    ASSERT_TRUE(::VerQueryValueA(&block[0], "\\StringFileInfo\\041203b5\\ProductVersion",
                                 reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(UPDATER_VERSION_TEXT, text);

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueA(&block[0], "\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(0x0412, translation[0]);
    EXPECT_EQ(949, translation[1]);
}

TEST_F(UpdaterResources, ManifestAsksForAdministratorAndCommonControls6) {
    const std::string manifest = Bytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\"")) << manifest;
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\""));
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
}

TEST_F(UpdaterResources, EmbeddedHelperIsTheBuiltHelperByteForByte) {
#ifndef ARKENFEL_HAVE_HELPER
    GTEST_SKIP() << "the UpdateHelper target is not part of this build";
#endif
    const std::string embedded = Bytes("BIN", MAKEINTRESOURCEA(IDR_HELPER_BIN));
    const std::string built = testenv::ReadFileBytes(testenv::BinDir() + "UpdateHelper.exe");
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(built.size(), embedded.size());
    EXPECT_TRUE(built == embedded);
}

}  // namespace
