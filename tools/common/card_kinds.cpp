// The seven kinds of card as their libraries' headers describe them, and the
// names of each library's result codes (the layer's own are tool_failures.h's).
#include <cstring>

#include "card_access.h"
#include "dulvar.h"
#include "dulvar_registers.h"
#include "fenmar_registers.h"
#include "kestan.h"
#include "kestan_registers.h"
#include "orvel.h"
#include "orvel_registers.h"
#include "pellin.h"
#include "pellin_registers.h"
#include "port_codes.h"
#include "sarrow.h"
#include "sarrow_registers.h"
#include "wendal_registers.h"

namespace cardio {

namespace {

// A lamp card with no counters, as many inputs as outputs, from its registers header.
#define KIT_LAMP_KIND(Kind_, name, ns)                                                              \
  {Kind_, name, 0, ns::kChannels, ns::kChannels, ns::kChannels / kLinesPerPort, 0, false, false,    \
   ns::kPorts, ns::kFirstBase, ns::kLastBase, ns::kBaseStep, ns::kCards, false}
// An 8255 card, from its registers header.
#define KIT_PPI_KIND(Kind_, name, ns, counters, clock)                                              \
  {Kind_, name, ns::kChannels, ns::kChannels * ppicard::kLinesPerChannel,                            \
   ns::kChannels * ppicard::kLinesPerChannel, ns::kChannels * ppicard::kPortsPerChannel, counters,  \
   false, clock, ns::kPorts, ns::kFirstBase, ns::kLastBase, ns::kBaseStep, ns::kCards, true}

const KindInfo kKinds[kKindCount] = {
  {Kind::Kestan, "kestan", 0, kestan::kChannelCount, kestan::kChannelCount, kestan::kPortCount,
   kestan::kCounterCount, true, false, kestan::kCardPorts, kestan::kBaseFirst, kestan::kBaseLast,
   kestan::kBaseStep, kestan::kCardCount, false},
  KIT_LAMP_KIND(Kind::Orvel, "orvel", orvel),
  KIT_LAMP_KIND(Kind::Sarrow, "sarrow", sarrow),
  KIT_LAMP_KIND(Kind::Pellin, "pellin", pellin),
  KIT_PPI_KIND(Kind::Fenmar, "fenmar", fenmar, 0, false),
  KIT_PPI_KIND(Kind::Wendal, "wendal", wendal, wendal::kCounters, true),
  KIT_PPI_KIND(Kind::Dulvar, "dulvar", dulvar, 0, false),
};
#undef KIT_PPI_KIND
#undef KIT_LAMP_KIND
static_assert(orvel::kBytePorts == orvel::kChannels / kLinesPerPort, "Orvel: a byte port per eight lines");

struct CodeName {
  int code;
  const char *name;
};

#define KIT_CODE(name) {name, #name}
const CodeName kKestanCodes[] = {
  KIT_CODE(No_Error), KIT_CODE(Card_Not_Initial), KIT_CODE(Invalid_Card_Number),
  KIT_CODE(Invalid_Base_Address), KIT_CODE(Base_Address_In_Use), KIT_CODE(Invalid_Port_Number),
  KIT_CODE(Invalid_Port16_Number), KIT_CODE(Invalid_Channel_Number), KIT_CODE(Invalid_DO_Value),
  KIT_CODE(Invalid_Counter_Number), KIT_CODE(Invalid_Counter_Mode), KIT_CODE(Invalid_Pointer),
  {0, nullptr}};
const CodeName kPortCardCodes[] = {
  KIT_CODE(No_Error), KIT_CODE(Card_Not_Initial), KIT_CODE(Invalid_Card_Number),
  KIT_CODE(Invalid_IRQ_Level), KIT_CODE(Invalid_Base_Address), KIT_CODE(Base_Address_In_Use),
  KIT_CODE(Invalid_Port_Code), KIT_CODE(Invalid_Direction), KIT_CODE(Invalid_Count),
  KIT_CODE(Transfer_Running), KIT_CODE(Interrupt_Unavailable), KIT_CODE(Invalid_Clock_Divisor),
  KIT_CODE(Invalid_Counter_Number), KIT_CODE(Invalid_Pointer), {0, nullptr}};
#define KIT_LAMP_CODES(Card)                                                               \
  {KIT_CODE(Card##_No_Error), KIT_CODE(Card##_Card_Not_Initial),                           \
   KIT_CODE(Card##_Invalid_Card_Number), KIT_CODE(Card##_Invalid_Base_Address),            \
   KIT_CODE(Card##_Base_Address_In_Use), KIT_CODE(Card##_Ports_In_Use),                    \
   KIT_CODE(Card##_Invalid_Channel_Number), KIT_CODE(Card##_Invalid_DO_Value),             \
   KIT_CODE(Card##_Invalid_Pointer), KIT_EXTRA_CODES {0, nullptr}}
#define KIT_EXTRA_CODES KIT_CODE(Orvel_Invalid_Port_Number), KIT_CODE(Orvel_Invalid_Port16_Number),
const CodeName kOrvelCodes[] = KIT_LAMP_CODES(Orvel);
#undef KIT_EXTRA_CODES
#define KIT_EXTRA_CODES
const CodeName kSarrowCodes[] = KIT_LAMP_CODES(Sarrow);
const CodeName kPellinCodes[] = KIT_LAMP_CODES(Pellin);
#undef KIT_EXTRA_CODES
#undef KIT_LAMP_CODES
#undef KIT_CODE

const CodeName *const kCodesByKind[kKindCount] = {
  kKestanCodes, kOrvelCodes, kSarrowCodes, kPellinCodes, kPortCardCodes, kPortCardCodes, kPortCardCodes};

const char *find_name(const CodeName *table, int code) {
  for (; table->name; ++table)
    if (table->code == code) return table->name;
  return nullptr;
}

// The tools' names of the direction groups (ppicard::kDirectionGroups).
const char *const kDirectionGroupNames[ppicard::kDirectionGroupsPerChannel] = {"A", "B", "CH", "CL"};

// Each kind's library calls, in the order of enum Call.
constexpr int kCalls = static_cast<int>(Call::None);
const char *const kCallNames[kKindCount][kCalls] = {
  {"W_Kestan_Initial", "W_Kestan_Set_Card", "W_Kestan_DI_Channel", "W_Kestan_DO_Channel",
   "W_Kestan_DI_8", "W_Kestan_DO_8", "W_Kestan_Read_Back", "", "", "W_Kestan_Timer_Start",
   "W_Kestan_Timer_Read", "W_Kestan_Timer_Stop", "", ""},
  {"W_Orvel_Initial", "W_Orvel_Set_Card", "W_Orvel_DI_Channel", "W_Orvel_DO_Channel",
   "W_Orvel_DI_8", "W_Orvel_DO_8", "W_Orvel_Read_Back", "", "", "", "", "", "", ""},
  {"W_Sarrow_Initial", "W_Sarrow_Set_Card", "W_Sarrow_DI_Channel", "W_Sarrow_DO_Channel",
   "W_Sarrow_DI", "W_Sarrow_DO", "W_Sarrow_Read_Back", "", "", "", "", "", "", ""},
  {"W_Pellin_Initial", "W_Pellin_Set_Card", "W_Pellin_DI_Channel", "W_Pellin_DO_Channel",
   "W_Pellin_DI", "W_Pellin_DO", "W_Pellin_Read_Back", "", "", "", "", "", "", ""},
  {"W_Fenmar_Initial", "W_Fenmar_Set_Card", "", "", "", "", "", "W_Fenmar_DI_Port",
   "W_Fenmar_DO_Port", "", "", "", "", ""},
  {"W_Wendal_Initial", "W_Wendal_Set_Card", "", "", "", "", "", "W_Wendal_DI_Port",
   "W_Wendal_DO_Port", "", "W_Wendal_Counter_Read", "", "W_Wendal_Clock_Start", "W_Wendal_Clock_Stop"},
  {"W_Dulvar_Initial", "W_Dulvar_Set_Card", "", "", "", "", "", "W_Dulvar_DI_Port",
   "W_Dulvar_DO_Port", "", "", "", "", ""},
};

}  // namespace

const char *call_name(Kind kind, Call call) {
  if (call == Call::None) return "";
  return kCallNames[static_cast<int>(kind)][static_cast<int>(call)];
}

const KindInfo &kind_info(Kind kind) { return kKinds[static_cast<int>(kind)]; }

const KindInfo *find_kind(const char *name) {
  for (const KindInfo &k : kKinds)
    if (std::strcmp(k.name, name) == 0) return &k;
  return nullptr;
}

const char *code_name(Kind kind, int code) {
  if (code < 0) {
    const FailureInfo *refusal = is_layer_refusal(code) ? find_failure(code) : nullptr;
    return refusal ? refusal->name : "unknown";
  }
  const char *name = find_name(kCodesByKind[static_cast<int>(kind)], code);
  return name ? name : "unknown";
}

int group_list(const KindInfo &info, GroupInfo *groups, int max) {
  int n = 0;
  for (int c = 0; c < info.ppi_channels; ++c) {
    for (int i = 0; i < ppicard::kDirectionGroupsPerChannel; ++i) {
      if (n == max) return n;
      const ppicard::Group group = ppicard::kDirectionGroups[i];
      const ppicard::GroupInfo &g = ppicard::kGroupTable[group];
      groups[n++] = {ppicard::port_code(c, group), c * ppicard::kPortsPerChannel + static_cast<int>(g.port),
                     g.mask, kDirectionGroupNames[i]};
    }
  }
  return n;
}

static_assert(kMaxGroups == dulvar::kChannels * ppicard::kDirectionGroupsPerChannel, "groups of the largest card");
static_assert(kMaxPorts == dulvar::kChannels * ppicard::kPortsPerChannel, "ports of the largest card");

}  // namespace cardio
