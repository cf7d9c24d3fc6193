// The version of the build as the system reads it from Quorvane.exe: the VERSIONINFO resource, compared with
// the project version that CMake hands to this test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// The exe's version resource, read through the system's version API as Explorer reads it.
class ExeVersion : public testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(QV_EXE_PATH, &ignored);
        ASSERT_NE(0u, size) << "no version resource in " << QV_EXE_PATH;
        data.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(QV_EXE_PATH, 0, size, data.data()));
    }

    std::wstring text(const wchar_t* name) {
        std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data.data(), path.c_str(), &value, &length) || value == nullptr) {
            return L"(missing)";
        }
        return static_cast<const wchar_t*>(value);
    }

    std::vector<char> data;
};

std::wstring widen(const char* text) {
    return std::wstring(text, text + strlen(text));
}

TEST_F(ExeVersion, NumbersAreTheProjectVersion) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
    const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(QV_EXPECTED_VERSION, numbers);
    EXPECT_EQ(0, LOWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
}

TEST_F(ExeVersion, TextsNameTheProgramAndItsVersion) {
    const struct {
        const wchar_t* name;
        std::wstring expected;
    } cases[] = {
        {L"ProductName", L"Quorvane"},
        {L"FileVersion", widen(QV_EXPECTED_VERSION)},
        {L"ProductVersion", widen(QV_EXPECTED_VERSION)},
        {L"OriginalFilename", L"Quorvane.exe"},
        {L"FileDescription", L"Quorvane POP3 \u30e1\u30fc\u30eb\u30c1\u30a7\u30c3\u30ab\u30fc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, text(c.name)) << std::string(c.name, c.name + wcslen(c.name));
    }
    EXPECT_NE(std::wstring::npos, text(L"LegalCopyright").find(L"Quorvane developers"));
}

TEST_F(ExeVersion, TranslationIsJapaneseUnicode) {
    const WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", (void**)&translation, &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0411, translation[0]);
    EXPECT_EQ(1200, translation[1]);
}

}  // namespace
