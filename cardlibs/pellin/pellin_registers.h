/*
 * Register map of the Pellin card: 8 digital inputs and 8 digital outputs in
 * 2 consecutive ports from an even base address between 200H and 3FEH.
 *
 *   offset  read                       write
 *   0       inputs 0 to 7 (bit n = n)  ignored
 *   1       FFH                        outputs 0 to 7
 *
 * The outputs cannot be read back; the driver keeps what it wrote. Outputs
 * are 0 at power-up.
 */
#ifndef PELLIN_REGISTERS_H
#define PELLIN_REGISTERS_H

namespace pellin {

constexpr int kPorts = 2;
constexpr int kInputOffset = 0;
constexpr int kOutputOffset = 1;
constexpr int kChannels = 8;
constexpr int kFirstBase = 0x200;
constexpr int kLastBase = 0x3FE;
constexpr int kBaseStep = 2;
constexpr int kCards = 4;

}  // namespace pellin

#endif
