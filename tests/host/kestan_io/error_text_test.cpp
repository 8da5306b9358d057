// Every code kestan.h documents has a line that names it as the header
// spells it, with its number and a remedy; anything else is called unknown.
#include <gtest/gtest.h>

#include <string>

#include "error_text.h"
#include "kestan.h"

namespace {

struct Documented {
  int code;
  const char *name;
};

const Documented kDocumented[] = {
  {Card_Not_Initial, "Card_Not_Initial"},         {Invalid_Card_Number, "Invalid_Card_Number"},
  {Invalid_Base_Address, "Invalid_Base_Address"}, {Base_Address_In_Use, "Base_Address_In_Use"},
  {Invalid_Port_Number, "Invalid_Port_Number"},   {Invalid_Port16_Number, "Invalid_Port16_Number"},
  {Invalid_Channel_Number, "Invalid_Channel_Number"}, {Invalid_DO_Value, "Invalid_DO_Value"},
  {Invalid_Counter_Number, "Invalid_Counter_Number"}, {Invalid_Counter_Mode, "Invalid_Counter_Mode"},
  {Invalid_Pointer, "Invalid_Pointer"},
};

std::string text_of(int code) {
  char text[512];
  describe_kestan_error(code, text, sizeof text);
  return text;
}

TEST(KestanIoErrorText, EveryDocumentedCodeIsNamedWithNumberAndRemedy) {
  for (const Documented &d : kDocumented) {
    std::string text = text_of(d.code);
    std::string head = std::string(d.name) + " (" + std::to_string(d.code) + "): ";
    EXPECT_EQ(0u, text.rfind(head, 0)) << text;
    EXPECT_NE(std::string::npos, text.find(". Remedy: ")) << text;
    EXPECT_EQ(std::string::npos, text.find('\n')) << text;
  }
}

TEST(KestanIoErrorText, UndocumentedCodesAreCalledUnknown) {
  for (int code : {3, 5, 31, -9}) {
    std::string text = text_of(code);
    EXPECT_EQ(0u, text.rfind("unknown code (" + std::to_string(code) + "): ", 0)) << text;
  }
}

// The other libraries' codes, with the numbers of their own cards.
TEST(KestanIoErrorText, OtherKindsGetTheirNamesAndLimits) {
  char text[512];
  describe_card_error(cardio::Kind::Orvel, 4, text, sizeof text);
  EXPECT_EQ(0u, std::string(text).rfind("Orvel_Invalid_Base_Address (4): base address outside 200H to 3F0H "
                                        "or not a multiple of 16. Remedy: ", 0)) << text;
  describe_card_error(cardio::Kind::Dulvar, cardio::kNoSuchLine, text, sizeof text);
  EXPECT_NE(std::string::npos, std::string(text).find("a line from 0 to 143 or a port from 0 to 17")) << text;
  describe_card_error(cardio::Kind::Fenmar, 3, text, sizeof text);
  EXPECT_EQ(0u, std::string(text).rfind("Invalid_IRQ_Level (3): ", 0)) << text;
}

TEST(KestanIoErrorText, ShortBufferIsCutNotOverrun) {
  char text[16];
  text[15] = 'x';
  describe_kestan_error(Invalid_Channel_Number, text, 12);
  EXPECT_STREQ("Invalid_Cha", text);
  EXPECT_EQ('x', text[15]);
}

}  // namespace
