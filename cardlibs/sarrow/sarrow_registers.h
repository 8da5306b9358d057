/*
 * Register map of the Sarrow card: 16 digital inputs and 16 digital outputs
 * in 8 consecutive ports from a base address that is a multiple of 8 between
 * 200H and 3F8H. The card has a 16-bit data path: a word access at offset 0
 * is one bus cycle; byte accesses reach either half.
 *
 *   offset  read                       write
 *   0       inputs 0 to 7 (bit n = n)  outputs 0 to 7
 *   1       inputs 8 to 15             outputs 8 to 15
 *   0 word  inputs 0 to 15             outputs 0 to 15
 *   2-7     FFH (decoded, unused)      ignored
 *
 * The outputs cannot be read back; the driver keeps what it wrote. Outputs
 * are 0 at power-up.
 */
#ifndef SARROW_REGISTERS_H
#define SARROW_REGISTERS_H

namespace sarrow {

constexpr int kPorts = 8;
constexpr int kDataOffset = 0;  // inputs on read, outputs on write
constexpr int kChannels = 16;
constexpr int kFirstBase = 0x200;
constexpr int kLastBase = 0x3F8;
constexpr int kBaseStep = 8;
constexpr int kCards = 4;

}  // namespace sarrow

#endif
