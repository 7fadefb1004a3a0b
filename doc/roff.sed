# What scdoc leaves to groff: no hyphenation (scdoc's .nh comes before .TH, which turns it back on),
# and a break point after each Japanese comma (groff 1.22 cannot break a line of Japanese text).
/^[.]TH /a .nh
s/、/&\\:/g
