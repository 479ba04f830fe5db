# The Linux release archive, made from this build and checked unpacked
# (scripts/package.sh); the sanitizer builds are not shipped.
if(NOT PRUFACJA_SANITIZE)
  add_test(NAME ReleaseArchiveRunsWithoutTheBuildTree
           COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/package.sh --only linux --dev-build ${PROJECT_BINARY_DIR}
                   ${PROJECT_BINARY_DIR}/dist)
  set_tests_properties(ReleaseArchiveRunsWithoutTheBuildTree PROPERTIES TIMEOUT 300)
endif()
