"""The system stored procedures the server provides. Each checks its arguments in the order
SQL Server's own does, changes the state, and returns the messages it raised: none when
it succeeded."""

from dataclasses import dataclass

import catalog
from messages import message
from state import Login

REQUIRED = object()


@dataclass(frozen=True)
class Procedure:
    name: str
    parameters: tuple  # of (name, default); REQUIRED marks a parameter without default
    body: object  # function(context, **arguments) -> list of Message


class ProcedureContext:
    """What a procedure body sees: the server state, the calling session and its line."""

    def __init__(self, state, session, line, procedure):
        self.state = state
        self.session = session
        self.line = line
        self.procedure = procedure

    def error(self, number, *arguments):
        return [message(number, *arguments, line=self.line, procedure=self.procedure)]


def add_login(context, loginame, passwd, defdb, deflanguage, sid, encryptopt):
    state = context.state
    if loginame is None:
        return context.error(15004)
    database = state.database(defdb or "master")
    if database is None:
        return context.error(15010, defdb)
    language = catalog.DEFAULT_LANGUAGE
    if deflanguage is not None:
        language = catalog.language_named(deflanguage)
        if language is None:
            return context.error(15033, deflanguage)
    if state.login(loginame) is not None:
        return context.error(15025, loginame)
    state.add_login(Login(loginame, passwd or "", database.name, language))
    return []


def default_database(context, loginame, defdb):
    state = context.state
    if defdb is None or state.database(defdb) is None:
        return context.error(15010, defdb)
    login = state.login(loginame) if loginame is not None else None
    if login is None:
        return context.error(15151, "alter", "login", loginame)
    login.default_database = state.database(defdb).name
    return []


def add_server_role_member(context, loginame, rolename):
    state = context.state
    role = next((role for role in catalog.FIXED_SERVER_ROLES
                 if rolename is not None and role == rolename.casefold()), None)
    if role is None:
        return context.error(15402, rolename)
    login = state.login(loginame) if loginame is not None else None
    if login is None:
        return context.error(15007, loginame)
    if not state.is_role_member(role, login.name):
        state.add_role_member(role, login.name)
    return []


def grant_database_access(context, loginame, name_in_db):
    state = context.state
    database = state.database(context.session.database)
    login = state.login(loginame) if loginame is not None else None
    if login is None:
        return context.error(15007, loginame)
    user_name = name_in_db or login.name
    if database.user_named(user_name) is not None:
        return context.error(15023, user_name)
    if database.user_of_login(login.name) is not None:
        return context.error(15063)
    database.users.append({"name": user_name, "login": login.name})
    return []


PROCEDURES = (
    Procedure("sp_addlogin", (("@loginame", REQUIRED), ("@passwd", None), ("@defdb", "master"),
                              ("@deflanguage", None), ("@sid", None), ("@encryptopt", None)),
              add_login),
    Procedure("sp_defaultdb", (("@loginame", REQUIRED), ("@defdb", REQUIRED)), default_database),
    Procedure("sp_addsrvrolemember", (("@loginame", REQUIRED), ("@rolename", REQUIRED)),
              add_server_role_member),
    Procedure("sp_grantdbaccess", (("@loginame", REQUIRED), ("@name_in_db", None)),
              grant_database_access),
)


def find_procedure(name):
    wanted = name.casefold()
    return next((procedure for procedure in PROCEDURES if procedure.name == wanted), None)


def bind_arguments(procedure, arguments, line):
    """Matches positional and named arguments to the parameters; returns (keyword
    arguments for the body, messages)."""
    if len(arguments) > len(procedure.parameters):
        return None, [message(8144, procedure.name, line=line, procedure=procedure.name)]
    values = {}
    named = False
    for position, argument in enumerate(arguments):
        if argument.name is None:
            if named:
                return None, [message(119, position + 1, line=line)]
            parameter = procedure.parameters[position][0]
        else:
            parameter = next((name for name, _ in procedure.parameters
                              if name.casefold() == argument.name.casefold()), None)
            if parameter is None:
                return None, [message(8145, argument.name, procedure.name, line=line,
                                      procedure=procedure.name)]
            named = True
        # Every parameter of these procedures is a name: a number passed is its text.
        values[parameter] = None if argument.value is None else str(argument.value)
    for name, default in procedure.parameters:
        if name not in values:
            if default is REQUIRED:
                return None, [message(201, procedure.name, name, line=line,
                                      procedure=procedure.name)]
            values[name] = default
    return {name.lstrip("@"): value for name, value in values.items()}, []
