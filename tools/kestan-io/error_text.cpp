// The libraries report every failure as a bare number. Each documented number
// gets its name as the library's header spells it, what it means and what to
// do about it, with the numbers of the card at hand. The lamp libraries put
// their card word before the name (Orvel_Invalid_Channel_Number); the texts
// are the same. The card-access layer's own refusals bring their texts from
// their rows in tool_failures.h.
#include "error_text.h"

#include <cstdio>
#include <cstring>

namespace {

// {card} last card number, {first} and {last} the first and last base (hex),
// {step} the base step, {line} the last line, {port} the last port.
struct ErrorText {
  const char *name;  // without the card word
  const char *meaning;
  const char *remedy;
};

const ErrorText kErrorTexts[] = {
  {"No_Error", "success", "nothing to do"},
  {"Card_Not_Initial", "the card slot is not initialised",
   "register the card first (its Initial call; kestan-io does it with --card and --base)"},
  {"Invalid_Card_Number", "card number outside 0 to {card}", "give --card a number from 0 to {card}"},
  {"Invalid_Base_Address", "base address outside {first}H to {last}H or not a multiple of {step}",
   "give --base the address set on the card's switches, a multiple of {step} from 0x{first} to 0x{last}"},
  {"Base_Address_In_Use", "another card of the table holds this base address",
   "use that card's number, or give this card its own address"},
  {"Ports_In_Use", "the card's ports belong to another card or library",
   "give this card its own address"},
  {"Invalid_Port_Number", "8-bit port number outside 0 to {port}",
   "use port 0 to {port} (port p holds channels 8p to 8p+7)"},
  {"Invalid_Port16_Number", "16-bit port number outside 0 to 1",
   "use 16-bit port 0 (channels 0-15) or 1 (channels 16-31)"},
  {"Invalid_Channel_Number", "channel outside 0 to {line}", "use a channel from 0 to {line}"},
  {"Invalid_DO_Value", "a single output takes only 0 or 1",
   "write 0 (off) or 1 (on); use write-port for a whole byte"},
  {"Invalid_Counter_Number", "counter outside 0 to 2", "use counter 0, 1 or 2"},
  {"Invalid_Counter_Mode", "counter mode outside 0 to 5",
   "use one of the 8254 modes 0 to 5 (2 = rate generator, 3 = square wave)"},
  {"Invalid_Pointer", "the variable for the result is a null pointer",
   "pass the address of a variable to receive the result"},
  {"Invalid_IRQ_Level", "interrupt level outside 2 to 15",
   "give --irq the level set on the card's jumper, 2 to 15"},
  {"Invalid_Port_Code", "no such channel or port group on this card",
   "use a port or group of the card (kestan-io --help lists them)"},
  {"Invalid_Clock_Divisor", "a divisor below 1, or a product no two counters can make",
   "give two divisors of 1 or more whose product is at most 65536 x 65536"},
  {"Interrupt_Unavailable", "the interrupt level could not be attached",
   "interrupts need the simulated PC (--simulator) or a kernel driver"},
};

// The text with the card's numbers in place of the {words}.
void expand(const char *pattern, const cardio::KindInfo &k, char *out, size_t size) {
  struct Word {
    const char *word;
    const char *format;
    int value;
  };
  const Word words[] = {{"{card}", "%d", k.cards - 1},      {"{first}", "%X", k.base_first},
                        {"{last}", "%X", k.base_last},      {"{step}", "%d", k.base_step},
                        {"{line}", "%d", k.output_lines - 1}, {"{port}", "%d", k.ports - 1}};
  size_t used = 0;
  while (*pattern && used + 1 < size) {
    const Word *found = nullptr;
    for (const Word &w : words)
      if (std::strncmp(pattern, w.word, std::strlen(w.word)) == 0) found = &w;
    if (found) {
      int n = std::snprintf(out + used, size - used, found->format, found->value);
      used += n > 0 ? static_cast<size_t>(n) : 0;
      pattern += std::strlen(found->word);
    } else {
      out[used++] = *pattern++;
    }
  }
  out[used < size ? used : size - 1] = '\0';
}

const ErrorText *find_text(const char *name) {
  for (const ErrorText &e : kErrorTexts)
    if (std::strcmp(e.name, name) == 0) return &e;
  return nullptr;
}

// The text of one of the card-access layer's own refusals, from its row.
bool layer_text(int code, ErrorText *text) {
  const cardio::FailureInfo *f = cardio::is_layer_refusal(code) ? cardio::find_failure(code) : nullptr;
  if (f) *text = {f->name, f->meaning, f->remedy};
  return f != nullptr;
}

}  // namespace

void describe_card_error(cardio::Kind kind, int code, char *text, size_t size) {
  const cardio::KindInfo &k = cardio::kind_info(kind);
  const char *name = cardio::code_name(kind, code);
  // The lamp libraries' names begin with the card word: Orvel_...
  const char *underscore = std::strchr(name, '_');
  const ErrorText *e = find_text(name);
  if (!e && underscore) e = find_text(underscore + 1);
  ErrorText refusal;
  if (!e && layer_text(code, &refusal)) e = &refusal;
  if (!e) {
    std::snprintf(text, size,
                  "unknown code (%d): the library returned a code it does not document. "
                  "Remedy: check that lib%s.so is the toolkit's own.",
                  code, k.name);
    return;
  }
  char meaning[160], remedy[240];
  expand(e->meaning, k, meaning, sizeof meaning);
  expand(e->remedy, k, remedy, sizeof remedy);
  std::snprintf(text, size, "%s (%d): %s. Remedy: %s.", name, code, meaning, remedy);
}

void describe_kestan_error(int code, char *text, size_t size) {
  describe_card_error(cardio::Kind::Kestan, code, text, size);
}
