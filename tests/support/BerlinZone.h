#pragma once

namespace kr::test {

// Berlin's time zone as a calendar file describes it (since 1970).
inline const char* const kBerlinZone =
    "BEGIN:VTIMEZONE\n"
    "TZID:Europe/Berlin\n"
    "BEGIN:DAYLIGHT\n"
    "TZOFFSETFROM:+0100\nTZOFFSETTO:+0200\nTZNAME:CEST\n"
    "DTSTART:19700329T020000\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\n"
    "END:DAYLIGHT\n"
    "BEGIN:STANDARD\n"
    "TZOFFSETFROM:+0200\nTZOFFSETTO:+0100\nTZNAME:CET\n"
    "DTSTART:19701025T030000\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\n"
    "END:STANDARD\n"
    "END:VTIMEZONE\n";

} // namespace kr::test
