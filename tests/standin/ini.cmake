# The stand-in's INI access: file layout, reading with formats, the cache,
# and a kill test of saving.
prufacja_test(standin_ini_test standin_ini_test.cpp standin_ini_test_read.cpp standin_ini_test_kill.cpp
              standin_ini_test_memory.cpp)
