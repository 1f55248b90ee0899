# Where an installation keeps Velorin: the programs together in one private
# folder (they find each other beside themselves), the shared files apart.
set(VELORIN_PROGRAM_DIR lib/velorin)
set(VELORIN_DATA_DIR share/velorin)
# The data folder as seen from the program folder, for the program to find it.
file(RELATIVE_PATH VELORIN_DATA_FROM_PROGRAM /prefix/${VELORIN_PROGRAM_DIR} /prefix/${VELORIN_DATA_DIR})
