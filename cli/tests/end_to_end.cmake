# Runs the built `sorla` binary on the examples it must reproduce.
# Inputs: SORLA (the binary), SEED (data/seed_words.txt), LEXICON
# (data/lexicon/words.srla), WORK (scratch folder).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(failures 0)
# The user's files of these runs, never the tester's own.
set(ENV{XDG_DATA_HOME} ${WORK}/data)

# run(<expected status> <output variable> args...): runs sorla, checks the status.
function(run status out)
  execute_process(COMMAND ${SORLA} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE stdout
                  ERROR_VARIABLE stderr INPUT_FILE /dev/null)
  if(NOT rc EQUAL status)
    message(SEND_ERROR "sorla ${ARGN}: status ${rc}, expected ${status}\n${stdout}${stderr}")
  endif()
  if(status EQUAL 0 AND NOT stderr STREQUAL "")
    message(SEND_ERROR "sorla ${ARGN}: wrote to stderr on success: ${stderr}")
  endif()
  set(${out} "${stdout}${stderr}" PARENT_SCOPE)
endfunction()

function(expect_equal what actual expected)
  if(NOT actual STREQUAL expected)
    message(SEND_ERROR "${what}:\n got: [${actual}]\nwant: [${expected}]")
  endif()
endfunction()

function(expect_contains what actual part)
  string(FIND "${actual}" "${part}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "${what}: [${part}] not in\n${actual}")
  endif()
endfunction()

# The shipped list.
run(0 out check ${SEED})
expect_equal("check seed" "${out}" "words: 93\npairs: 18\ndata name: none\nranking: word term \
weight -0.6, exact bonus 0.6, completion cost 0.3, pair bonus 2.5, start penalty 1.5, gap cost 1, \
literal base 8.8\n")

# Compiling keeps words, spellings and pairs.
run(0 out compile ${SEED} -o ${WORK}/seed.srla --name "Seed test")
run(0 seed_list check --list ${SEED})
run(0 bin_list check --list ${WORK}/seed.srla)
string(REPLACE "data name: none" "data name: \"Seed test\"" seed_list "${seed_list}")
expect_equal("check --list of the compiled list" "${bin_list}" "${seed_list}")

# Word data carrying its own ranking numbers: check prints them, every
# engine made from it ranks with them, mapped through its index as built.
file(WRITE ${WORK}/ranking.txt "# tuned\nword term weight = -0.6\nexact bonus = 0.6\n\
completion cost = 0.3\npair bonus = 2.5\nstart penalty = 3\ngap cost = 1\nliteral base = 8.8\n")
run(0 out compile ${SEED} -o ${WORK}/tuned.srla --ranking ${WORK}/ranking.txt --index)
run(0 out check ${WORK}/tuned.srla)
expect_contains("check of tuned data" "${out}" ", start penalty 3, ")
run(0 out suggest tvka)
expect_contains("tvka untuned" "${out}" "1\tទៅការ\t")
run(0 out suggest --data ${WORK}/tuned.srla tvka)
expect_contains("tvka tuned, mapped" "${out}" "1\tធ្វើការ\t")
file(REMOVE ${WORK}/tuned.sidx)
run(0 built suggest --data ${WORK}/tuned.srla tvka)
expect_equal("tvka tuned, built" "${built}" "${out}")
file(WRITE ${WORK}/bad_ranking.txt "word term weight = -0.6\n\nstart penalty = three\n")
run(1 out compile ${SEED} -o ${WORK}/bad.srla --ranking ${WORK}/bad_ranking.txt)
expect_contains("compile with a bad ranking" "${out}"
  "bad_ranking.txt: line 3: the start penalty is not a number")

# The reader's own message, exit status 1.
file(WRITE ${WORK}/cut.srla "SRLA")
run(1 out check ${WORK}/cut.srla)
expect_equal("check of a cut file" "${out}" "the data file is cut short\n")
file(WRITE ${WORK}/notab.txt "# comment\nword without tab\n")
run(1 out check ${WORK}/notab.txt)
expect_equal("check of a bad seed text" "${out}" "line 2 has no tab\n")

# The matcher.
run(0 out match khnhom)
expect_contains("match khnhom" "${out}" "  0\tខ្ញុំ\t0\texact\n")
expect_contains("match khnhom" "${out}" "  24\tញ៉ាំ\t1.2\tinexact\n")
run(0 out match --json khnhom)
expect_contains("match --json" "${out}"
  "{\"typed\":\"khnhom\",\"matches\":[{\"word\":0,\"text\":\"ខ្ញុំ\",\"cost\":0,\"exact\":true},")
expect_contains("match --json" "${out}" "{\"word\":24,\"text\":\"ញ៉ាំ\",\"cost\":1.20000005,\"exact\":false}")

# Suggestions.
run(0 out suggest --json "ot te")
expect_contains("suggest --json" "${out}"
  "{\"typed\":\"ot te\",\"suggestions\":[{\"text\":\"អត់ទេ\",\"score\":4.97727966},")
file(WRITE ${WORK}/v2.json "{\"format\":\"sorla-learned\",\"version\":2,\"picks\":[]}")
run(1 out suggest --learned ${WORK}/v2.json khnhom)
expect_contains("suggest with a version 2 file" "${out}" "unsupported learned-data version 2")

# Typing sessions.
run(0 out type "khnhom chong tov ")
expect_equal("type sentence" "${out}" "ខ្ញុំចង់ទៅ\n")
run(0 out type --learned ${WORK}/learned.json --save "Sabay ")
expect_equal("type Sabay" "${out}" "សប្បាយ\n")
file(READ ${WORK}/learned.json learned)
expect_equal("learned after Sabay" "${learned}"
  "{\"format\":\"sorla-learned\",\"version\":1,\"picks\":[{\"typed\":\"sabay\",\"picked\":\"សប្បាយ\",\"count\":1}]}")
run(0 out type --learned ${WORK}/learned.json --save "khnhom.")
expect_equal("type khnhom." "${out}" "ខ្ញុំ។\n")
run(0 out type --learned ${WORK}/learned.json --save "khnhom.{bksp}")
expect_equal("type khnhom. then undo" "${out}" "\n")
file(READ ${WORK}/learned.json learned)
expect_contains("learned after undo" "${learned}" "{\"typed\":\"khnhom\",\"picked\":\"ខ្ញុំ\",\"count\":1}")
string(FIND "${learned}" "\"count\":2" twice)
if(NOT twice EQUAL -1)
  message(SEND_ERROR "the undone pick was not unlearned: ${learned}")
endif()
run(0 out type --json "khnhom.{bksp}")
expect_contains("type --json undo" "${out}"
  "{\"key\":\"{bksp}\",\"commit\":\"\",\"retract\":\"ខ្ញុំ។\",\"eaten\":true,\"typed\":\"\",\"candidates\":[],\"selected\":0,\"page\":0,\"pages\":0,\"english\":false,\"document\":\"\"}")

# Page Down shows the next five and stops at the last page; digits number the page shown.
run(0 out type --json "ot{pgdn}{pgdn}")
expect_contains("type --json pages" "${out}"
  "\"key\":\"{pgdn}\",\"commit\":\"\",\"eaten\":true,\"typed\":\"ot\",\"candidates\":[\"ទិញ\",\"ធំ\",\"តូច\"],\"selected\":0,\"page\":1,\"pages\":2,")
run(0 out type "ot{pgdn}2")
expect_equal("type a word of the second page" "${out}" "ធំ\n")

# The user's own words: added, offered first for their spelling, removed.
set(words ${WORK}/data/sorla/words.txt)
run(0 out words add ដារា dara Daraa)
run(0 out words add ដារា dara)
expect_equal("words add again" "${out}" "ដារា has those spellings already\n")
run(1 out words add dara dara)
expect_equal("words add Latin" "${out}" "sorla words: The word must be in Khmer script only.\n")
run(0 out words list)
expect_equal("words list" "${out}" "ដារា\tdara daraa\n")
run(0 out suggest dara)
expect_contains("suggest a user word" "${out}" "  1\tដារា\t")
run(0 out type "dara ")
expect_equal("type a user word" "${out}" "ដារា\n")
run(0 out words remove ដារា)
run(1 out words remove ដារា)
run(0 out suggest dara)
string(FIND "${out}" "ដារា" left)
if(NOT left EQUAL -1)
  message(SEND_ERROR "a removed word is still offered: ${out}")
endif()
# A damaged line is skipped, named, and the rest kept.
file(WRITE ${WORK}/mine.txt "ដារា\tdara\nno tab\n")
execute_process(COMMAND ${SORLA} suggest --words ${WORK}/mine.txt dara RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("suggest with a damaged words file" "${rc}|${err}"
  "0|sorla suggest: warning: ${WORK}/mine.txt: damaged lines skipped: 2\n")
expect_contains("suggest with a damaged words file" "${out}" "  1\tដារា\t")
run(1 out suggest --words ${WORK}/none.txt dara)

# 33 commits, then 32 undos take back the last 32; the 33rd Backspace reaches
# the document and deletes one character of the first commit.
string(REPEAT "ban " 33 commits)
string(REPEAT "{bksp}" 32 undos)
run(0 out type "${commits}${undos}")
expect_equal("32 undos" "${out}" "បាន\n")
run(0 out type "${commits}${undos}{bksp}")
expect_equal("33rd backspace" "${out}" "បា\n")

# Word data its own reader would refuse is not written: a spelling beyond ASCII.
file(WRITE ${WORK}/non_ascii.txt "ក\tñ\n")
run(1 out compile ${WORK}/non_ascii.txt -o ${WORK}/non_ascii.srla)
expect_contains("compile non-ASCII spelling" "${out}" "isn't Latin letters")
if(EXISTS ${WORK}/non_ascii.srla)
  message(SEND_ERROR "compile wrote a file its reader refuses")
endif()
# check refuses what compile refuses, and names the line where it can.
run(1 out check ${WORK}/non_ascii.txt)
expect_contains("check non-ASCII spelling" "${out}" "isn't Latin letters")
execute_process(COMMAND printf "# ok\\n\\341\\236\\200\\tka\\n\\341\\236\\tkha\\n"
                OUTPUT_FILE ${WORK}/bad_utf8.txt)
execute_process(COMMAND printf "\\341\\236\\200\\tka\\n\\341\\236\\201\\tkh\\001a\\n"
                OUTPUT_FILE ${WORK}/control.txt)
foreach(command check compile)
  set(to)
  if(command STREQUAL compile)
    set(to -o ${WORK}/bad.srla)
  endif()
  run(1 out ${command} ${WORK}/bad_utf8.txt ${to})
  expect_contains("${command} of a line not UTF-8" "${out}" "line 3 is not UTF-8\n")
  run(1 out ${command} ${WORK}/control.txt ${to})
  expect_contains("${command} of a control character" "${out}" "line 2 has a control character\n")
  # A file of any size: refused once 16 MiB have been read, never held whole.
  run(1 out ${command} /dev/zero ${to})
  expect_contains("${command} /dev/zero" "${out}" "/dev/zero is larger than 16 MiB")
endforeach()

# --index writes the prebuilt index beside the word data.
run(0 out compile ${SEED} -o ${WORK}/indexed.srla --index)
if(NOT EXISTS ${WORK}/indexed.sidx)
  message(SEND_ERROR "compile --index wrote no indexed.sidx")
endif()

# The shipped word data: tens of thousands of words, everyday words found.
run(0 out check ${LEXICON})
string(REGEX MATCH "words: ([0-9]+)" _ "${out}")
if(CMAKE_MATCH_1 LESS 60000)
  message(SEND_ERROR "the shipped word data has ${CMAKE_MATCH_1} words")
endif()
expect_contains("shipped data name" "${out}" "data name: \"khmer-")
run(0 out suggest --data ${LEXICON} tonle sabay)
expect_contains("tonle" "${out}" "1\tទន្លេ\t")
expect_contains("sabay" "${out}" "1\tសប្បាយ\t")
# The whole word before a split into common ones, the everyday word before
# a rare one romanized the same.
run(0 out suggest --data ${LEXICON} pisa phasa)
expect_contains("pisa" "${out}" "1\tពិសា\t")
expect_contains("phasa" "${out}" "1\tភាសា\t")

# Wrong use and no terminal.
run(2 out type)
run(2 out type "{nokey}")
run(2 out match --bogus x)
run(2 out try)
expect_contains("try without a terminal" "${out}" "must be a terminal")
run(0 out --help)
foreach(command check compile match suggest type try learned words)
  expect_contains("--help" "${out}" "  ${command} ")
endforeach()
