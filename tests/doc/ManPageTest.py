# The manual page (argument: the built fernpost.1) holds every text the program writes to the error
# log, placeholders and line breaks aside, as groff renders it; and groff warns of nothing.
import glob, os, re, subprocess, sys
LIT, root, texts = r'"(?:[^"\\]|\\.)*"', os.path.dirname(__file__) + "/../..", []
code = "".join(open(f).read() for d in ("app", "job", "smtp", "message", "logging", "platform")
               for f in sorted(glob.glob(f"{root}/{d}/**/*.cpp", recursive=True)))
for args in re.findall(r"WriteErrorLog\(ERROR_LOG_FILE,\s*(.*?)\);", code, re.S):
    if name := re.match(r"\w+\b(?!\()", args):  # a named text
        args = re.search(name[0] + rf"\s*=\s*((?:\s*{LIT})+)", code)[1]
    head = re.match(rf"((?:\s*{LIT})+)\s*(?:,\s*(\w+)\()?", args)
    texts.append("".join(literal[1:-1] for literal in re.findall(LIT, head[1])))
    if texts[-1] == "%s":  # data: the text the function named after it formats
        texts[-1] = re.search(head[2] + rf"\([^)]*\)\s*\{{.*?({LIT})", code, re.S)[1][1:-1]
groff = lambda *options: subprocess.run(["groff", "-man", "-Tutf8", "-k", "-ww", *options, sys.argv[1]],
                                        capture_output=True, text=True)
shown, warnings = " ".join(groff("-rLL=2000n", "-P-cbou").stdout.split()), groff("-z").stderr
missing = [part for text in texts for part in re.split(r"%[-0-9.]*l*[dsuxX]|\\n\\r", text)
           if part.strip() and " ".join(part.split()) not in shown]
if missing or warnings or len(texts) != code.count("WriteErrorLog(ERROR_LOG_FILE"):
    sys.exit(f"{len(texts)} error-log texts; missing from the manual page: {missing}; groff: {warnings}")
