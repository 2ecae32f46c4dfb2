# The programs' version, as --version prints it.
target_compile_definitions(orvane PRIVATE ORVANE_VERSION="${PROJECT_VERSION}")
