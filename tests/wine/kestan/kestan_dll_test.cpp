// kestan.dll as a program meets it under Wine: loaded with LoadLibrary from
// the simulator folder (WINEPATH), its thirteen functions resolved by ordinal
// and by name, a short scenario on the simulator's card at 2A8H checked
// against the journal, the loader's thread notifications, the version
// resource.
#include <gtest/gtest.h>
#include <windows.h>

#include "iosim.h"
#include "journal_check.h"
#include "kestan.h"

namespace {

using kestan_test::Access;

const char *const kNames[14] = {
    nullptr,
    "W_Kestan_Initial", "W_Kestan_Set_Card", "W_Kestan_Get_Card",
    "W_Kestan_DI_8", "W_Kestan_DI_Channel", "W_Kestan_DI_16",
    "W_Kestan_DO_8", "W_Kestan_DO_Channel", "W_Kestan_DO_16", "W_Kestan_Read_Back",
    "W_Kestan_Timer_Start", "W_Kestan_Timer_Read", "W_Kestan_Timer_Stop"};

// The entry points, bound by ordinal.
struct Kestan {
  int(__stdcall *Initial)(int, int);
  int(__stdcall *Set_Card)(int);
  int(__stdcall *Get_Card)(int *);
  int(__stdcall *DI_8)(int, unsigned char *);
  int(__stdcall *DI_Channel)(int, int *);
  int(__stdcall *DI_16)(int, unsigned *);
  int(__stdcall *DO_8)(int, unsigned);
  int(__stdcall *DO_Channel)(int, unsigned);
  int(__stdcall *DO_16)(int, unsigned);
  int(__stdcall *Read_Back)(int, unsigned char *);
  int(__stdcall *Timer_Start)(int, int, unsigned);
  int(__stdcall *Timer_Read)(int, unsigned *);
  int(__stdcall *Timer_Stop)(int, unsigned *);
};

FARPROC by_ordinal(HMODULE dll, int n) { return GetProcAddress(dll, MAKEINTRESOURCEA(n)); }

template <class F> void bind(F &f, HMODULE dll, int n) {
  f = reinterpret_cast<F>(reinterpret_cast<void *>(by_ordinal(dll, n)));
}

class KestanDll : public ::testing::Test {
 protected:
  void SetUp() override {
    iosim_reset();
    dll_ = LoadLibraryA("kestan.dll");
    ASSERT_NE(nullptr, dll_) << "kestan.dll not found along WINEPATH, error " << GetLastError();
    bind(k_.Initial, dll_, 1);
    bind(k_.Set_Card, dll_, 2);
    bind(k_.Get_Card, dll_, 3);
    bind(k_.DI_8, dll_, 4);
    bind(k_.DI_Channel, dll_, 5);
    bind(k_.DI_16, dll_, 6);
    bind(k_.DO_8, dll_, 7);
    bind(k_.DO_Channel, dll_, 8);
    bind(k_.DO_16, dll_, 9);
    bind(k_.Read_Back, dll_, 10);
    bind(k_.Timer_Start, dll_, 11);
    bind(k_.Timer_Read, dll_, 12);
    bind(k_.Timer_Stop, dll_, 13);
    iosim_journal_clear();
  }
  void TearDown() override {
    if (dll_) FreeLibrary(dll_);
  }

  HMODULE dll_ = nullptr;
  Kestan k_{};
};

TEST_F(KestanDll, ThirteenOrdinalsAndTheirPlainNamesResolveToTheSameFunctions) {
  for (int n = 1; n <= 13; ++n) {
    FARPROC ordinal = by_ordinal(dll_, n);
    EXPECT_NE(nullptr, ordinal) << "ordinal " << n;
    EXPECT_EQ(ordinal, GetProcAddress(dll_, kNames[n])) << kNames[n];
  }
  EXPECT_EQ(nullptr, by_ordinal(dll_, 14));
  EXPECT_EQ(nullptr, GetProcAddress(dll_, "W_Kestan_Initial@8"));
  EXPECT_EQ(nullptr, GetProcAddress(dll_, "_W_Kestan_Initial@8"));
  EXPECT_EQ(nullptr, GetProcAddress(dll_, "kestan_reset_card_table"));
}

TEST_F(KestanDll, ScenarioOnTheSimulatedCard) {
  const unsigned B = 0x2A8;
  int card = -1;
  unsigned char byte = 0;
  unsigned word = 0;
  ASSERT_EQ(Card_Not_Initial, k_.Get_Card(&card));
  ASSERT_EQ(No_Error, k_.Initial(0, B));
  EXPECT_EQ(Invalid_Pointer, k_.Get_Card(nullptr));
  EXPECT_EQ(No_Error, k_.Get_Card(&card));
  EXPECT_EQ(0, card);

  EXPECT_EQ(No_Error, k_.DO_16(0, 0x1234));
  EXPECT_EQ(No_Error, k_.DO_Channel(31, 1));
  EXPECT_EQ(No_Error, k_.DO_8(2, 0x5A));
  EXPECT_EQ(No_Error, k_.DI_16(0, &word));
  EXPECT_EQ(0x1234u, word);  // the test cable
  EXPECT_EQ(No_Error, k_.Read_Back(3, &byte));
  EXPECT_EQ(0x80, byte);
  EXPECT_EQ(Invalid_Port_Number, k_.DI_8(7, &byte));
  EXPECT_EQ(Invalid_DO_Value, k_.DO_Channel(3, 2));
  EXPECT_EQ(No_Error, k_.Timer_Start(2, 5, 65535));
  EXPECT_EQ(Invalid_Counter_Mode, k_.Timer_Start(3, 6, 0));
  EXPECT_EQ(No_Error, k_.Timer_Read(1, &word));
  EXPECT_LE(word, 0xFFFFu);
  int bit = -1;
  EXPECT_EQ(No_Error, k_.DI_Channel(25, &bit));
  EXPECT_EQ(0, bit);

  static const Access expected[] = {
      {IOSIM_OUT16, B, 0x1234},
      {IOSIM_OUT8, B + 3, 0x80},
      {IOSIM_OUT8, B + 2, 0x5A},
      {IOSIM_IN16, B, 0x1234},
      {IOSIM_OUT8, B + 7, 0xBA},
      {IOSIM_OUT8, B + 6, 0xFF},
      {IOSIM_OUT8, B + 6, 0xFF},
      {IOSIM_OUT8, B + 7, 0x40},
      {IOSIM_IN8, B + 5, kestan_test::kAnyValue},
      {IOSIM_IN8, B + 5, kestan_test::kAnyValue},
      {IOSIM_IN8, B + 3, 0x80},
  };
  EXPECT_JOURNAL(expected);
}

// What a second thread sees of the card table.
struct ThreadView {
  const Kestan *kestan;
  int code;
  int card;
};

DWORD WINAPI ask_current_card(void *view) {
  ThreadView *v = static_cast<ThreadView *>(view);
  v->code = v->kestan->Get_Card(&v->card);
  return 0;
}

TEST_F(KestanDll, ThreadsStartingAndEndingKeepTheCardTable) {
  ASSERT_EQ(No_Error, k_.Initial(3, 0x2A8));
  // The loader calls the library's entry as each thread starts and ends.
  for (int i = 0; i < 3; ++i) {
    ThreadView view = {&k_, -1, -1};
    HANDLE thread = CreateThread(nullptr, 0, ask_current_card, &view, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    EXPECT_EQ(No_Error, view.code) << "thread " << i;
    EXPECT_EQ(3, view.card) << "thread " << i;
  }
  int card = -1;
  EXPECT_EQ(No_Error, k_.Get_Card(&card));
  EXPECT_EQ(3, card);
}

TEST_F(KestanDll, LoadingTheLibraryAgainStartsFromTheLoadState) {
  ASSERT_EQ(No_Error, k_.Initial(0, 0x2A8));
  ASSERT_EQ(No_Error, k_.DO_8(0, 0x5A));
  ASSERT_TRUE(FreeLibrary(dll_));
  dll_ = nullptr;
  SetUp();
  int card = -1;
  EXPECT_EQ(Card_Not_Initial, k_.Get_Card(&card));
  ASSERT_EQ(No_Error, k_.Initial(0, 0x2A8));
  unsigned char byte = 0xA5;
  EXPECT_EQ(No_Error, k_.Read_Back(0, &byte));
  EXPECT_EQ(0, byte);
}

TEST_F(KestanDll, ModuleDescriptionIsKestanDriver) {
  char path[MAX_PATH];
  ASSERT_NE(0u, GetModuleFileNameA(dll_, path, sizeof path));
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  ASSERT_NE(0u, size) << path;
  static char info[4096];
  ASSERT_LE(size, sizeof info);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info));
  char *text = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info, "\\StringFileInfo\\040904B0\\FileDescription",
                             reinterpret_cast<void **>(&text), &length));
  EXPECT_STREQ("Kestan Driver", text);
}

}  // namespace
