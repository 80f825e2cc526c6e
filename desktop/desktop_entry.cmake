# Writes the menu entry for the prefix being installed into. Exec names the game by its full
# path, as not every session's PATH holds a prefix's games folder, quoted as desktop entries
# quote arguments when the path needs it.
# Variables: SOURCE (the entry's template), OUTPUT, GAME (the installed game's full path).
set(exec "${GAME}")
string(REPLACE "%" "%%" exec "${exec}")
if(NOT exec MATCHES "^[-A-Za-z0-9/._+%=,:@]+$")
    # Inside double quotes a backslash escapes " ` $ and itself; the entry's string value then
    # needs each backslash doubled.
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REPLACE "\"" "\\\"" exec "${exec}")
    string(REPLACE "`" "\\`" exec "${exec}")
    string(REPLACE "$" "\\$" exec "${exec}")
    set(exec "\"${exec}\"")
    string(REPLACE "\\" "\\\\" exec "${exec}")
endif()
set(VEXLOR_EXEC "${exec}")
configure_file("${SOURCE}" "${OUTPUT}" @ONLY)
