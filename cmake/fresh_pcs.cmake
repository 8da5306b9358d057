# Empties the folder of the tests' simulated PCs (cmake -DDIR=... -P).
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
