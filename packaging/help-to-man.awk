# Turns the text of "quillon-cli --help" into its manual page, so the page can never disagree with
# the program. The usage lines up to the first blank line are the synopsis; a line of its own that
# ends in ":" starts a section; a paragraph that begins with a command's name and ":" starts a
# subsection; everything else is kept as laid out, in no-fill mode.
# Variables: version (the program's version), date (the page's date).
function roff(line) {
    gsub(/\\/, "\\e", line)
    gsub(/-/, "\\-", line)
    if (line ~ /^[.']/)
        line = "\\&" line
    return line
}
BEGIN {
    print ".TH QUILLON\\-CLI 1 \"" date "\" \"quillon\\-cli " version "\" \"User Commands\""
    print ".SH NAME"
    print "quillon\\-cli \\- report how much compiled code each unit of a Delphi project contributes"
    print ".SH SYNOPSIS"
    print ".nf"
    part = "synopsis"
}
part == "synopsis" && /^$/ {
    print ".fi"
    print ".SH DESCRIPTION"
    print ".nf"
    part = "body"
    next
}
part == "synopsis" {
    # Continuation lines keep their indent relative to the text after "Usage: ".
    if (!sub(/^Usage: /, ""))
        sub(/^       /, "")
    if ($1 == "quillon-cli" && $2 ~ /^[a-z]/)
        commands[$2] = 1
    print roff($0)
    next
}
/^[A-Z][^:]*:$/ {
    heading = toupper(substr($0, 1, length($0) - 1))
    print ".fi"
    print ".SH " roff(heading)
    print ".nf"
    next
}
/^[a-z][a-z-]*: / {
    name = substr($1, 1, length($1) - 1)
    if (name in commands) {
        print ".fi"
        print ".SS " roff(name)
        print ".nf"
    }
}
/^$/ { print ""; next }
{ print roff($0) }
END { print ".fi" }
