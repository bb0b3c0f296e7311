// Every command of vamu-cli, one line each (no include guard: read by cli_command.h and
// main.cpp with their own definition of VAMU_CLI_COMMAND).
VAMU_CLI_COMMAND(httpCommand)
VAMU_CLI_COMMAND(jsonCommand)
VAMU_CLI_COMMAND(settingsCommand)
VAMU_CLI_COMMAND(scrambleCommand)
VAMU_CLI_COMMAND(unscrambleCommand)
VAMU_CLI_COMMAND(playCommand)
VAMU_CLI_COMMAND(downloadCommand)
