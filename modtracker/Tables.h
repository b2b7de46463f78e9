// The replay's constant tables, defined once in Tables.cpp.
#ifndef MODTRACKER_TABLES_H
#define MODTRACKER_TABLES_H

#include "beos/SupportDefs.h"

const int PERIOD_FINETUNES = 16;
const int PERIOD_NOTES = 84;   // 7 octaves of 12 notes, lowest pitch first

extern const uint16 periods[PERIOD_FINETUNES][PERIOD_NOTES];
extern const uint8  vibratoTable[32];         // positive half-wave for vibrato and tremolo
extern const uint8  funkTable[16];            // funk accumulator step per speed
extern const int8   amWaveformTable[4][32];   // sine, saw, square, noise (zero until refreshed)
extern const uint8  amSinus[180];             // half sine of peak 128, by degree

#endif
