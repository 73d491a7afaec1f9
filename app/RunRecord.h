// The record of one removal run: where it is kept, the plain text written there, and the texts of
// the boxes that tell the person how the run ended.
#pragma once

#include "app/RemovalReport.h"

#include <chrono>
#include <string>

// How many names a box lists before it says how many more there are.
inline constexpr std::size_t kNamesShownInBox = 3;

// The record file: "uninstall-record.txt" in the folder of the registry store (TVU_REGISTRY, else
// /var/lib/tarvion for the administrator and $XDG_STATE_HOME/tarvion for everyone else), the
// product's own state folder, which outlives the installation it records.
std::u16string RunRecordLocation();

// The record as UTF-8 text: when the run ended, how, then every entry removed and every entry left.
std::string FormatRunRecord(const RemovalReport& report, std::chrono::system_clock::time_point when);

// Writes the record to RunRecordLocation(); false when it could not be written.
bool WriteRunRecord(const RemovalReport& report, const std::u16string& location);

// The question asked when the close button is clicked while the removal still runs.
std::u16string StopQuestionText();

// What the person is told after stopping the removal.
std::u16string StoppedText(const std::u16string& recordLocation, bool recordWritten);

// What the person is told when a run that was not stopped could not do everything; empty for a
// complete success, which shows no box.
std::u16string OutcomeText(const RemovalReport& report, const std::u16string& recordLocation, bool recordWritten);
