/*
 * Register map of the Orvel card: 32 digital inputs and 32 digital outputs
 * in a window of 16 consecutive ports from a base address that is a multiple
 * of 16 between 200H and 3F0H. The card has an 8-bit data path; a 16-bit
 * access is two byte cycles, low byte first.
 *
 *   offset  read                      write
 *   0       inputs 0 to 7 (bit n = n) -
 *   1       inputs 8 to 15            -
 *   2       inputs 16 to 23           -
 *   3       inputs 24 to 31           -
 *   4       FFH                       outputs 0 to 7
 *   5       FFH                       outputs 8 to 15
 *   6       FFH                       outputs 16 to 23
 *   7       FFH                       outputs 24 to 31
 *   8-15    FFH (decoded, unused)     ignored
 *
 * The outputs cannot be read back from the card; the driver keeps what it
 * wrote. Outputs are 0 at power-up.
 */
#ifndef ORVEL_REGISTERS_H
#define ORVEL_REGISTERS_H

namespace orvel {

constexpr int kPorts = 16;          // length of the card's port window
constexpr int kInputOffset = 0;     // inputs, byte p at offset p
constexpr int kOutputOffset = 4;    // outputs, byte p at offset 4 + p
constexpr int kBytePorts = 4;       // 8-bit ports 0 to 3
constexpr int kWordPorts = 2;       // 16-bit ports 0 and 1
constexpr int kChannels = 32;
constexpr int kFirstBase = 0x200;
constexpr int kLastBase = 0x3F0;
constexpr int kBaseStep = 16;
constexpr int kCards = 4;

}  // namespace orvel

#endif
