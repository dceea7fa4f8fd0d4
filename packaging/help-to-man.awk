# Turns the text of a program's --help into its manual page, so the page can never disagree with
# the program. The usage lines up to the first blank line are the synopsis; a line of its own that
# ends in ":" starts a section; a paragraph that begins with a command's name and ":" starts a
# subsection; everything else is kept as laid out, in no-fill mode.
# Variables: program (its name), summary (the NAME line's description), version (the program's
# version), date (the page's date).
function roff(line) {
    gsub(/\\/, "\\e", line)
    gsub(/-/, "\\-", line)
    if (line ~ /^[.']/)
        line = "\\&" line
    return line
}
BEGIN {
    # The help is laid out for an 80-column terminal with its own indents: the page keeps them,
    # without the body's usual indent that would push its lines past 80.
    print ".nr IN 0n"
    print ".TH " roff(toupper(program)) " 1 \"" date "\" \"" roff(program) " " version "\" \"User Commands\""
    print ".SH NAME"
    print roff(program) " \\- " roff(summary)
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
    if ($1 == program && $2 ~ /^[a-z]/)
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
