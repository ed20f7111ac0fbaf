"""One client connection: pre-login, login, then requests until the client leaves."""

import sys

import catalog
import tds
from engine import LoginFailed
from messages import message
from replies import DatabaseChanged, Done, LanguageChanged, ProcedureDone

# Packets before login carry no session id.
PRE_LOGIN_SPID = 0
# SQL Server reports the database context a login starts in with state 2, a USE with 1.
LOGIN_CONTEXT_STATE = 2


class Connection:
    def __init__(self, sock, engine):
        self.sock = sock
        self.engine = engine
        self.packet_size = tds.DEFAULT_PACKET_SIZE
        self.spid = PRE_LOGIN_SPID

    def run(self):
        try:
            session = self.open_session()
            if session is not None:
                self.serve(session)
        except (tds.ConnectionClosed, ConnectionError):
            pass
        except tds.ProtocolError as error:
            print(f"sqlserver: closing a connection: {error}", file=sys.stderr)

    def send(self, payload):
        self.sock.sendall(tds.frame_message(tds.TABULAR_RESULT, payload, self.packet_size,
                                            self.spid))

    def send_replies(self, replies):
        self.send(tds.encode_replies(replies, self.engine.server_name))

    # ------------------------------------------------------------ login

    def open_session(self):
        message_type, payload = tds.read_message(self.sock)
        if message_type == tds.PRELOGIN:
            tds.parse_prelogin(payload)
            self.send(tds.build_prelogin_reply())
            message_type, payload = tds.read_message(self.sock)
        if message_type != tds.LOGIN7:
            raise tds.ProtocolError(f"expected LOGIN7, got message type {message_type}")
        login = tds.parse_login7(payload)
        try:
            session = self.engine.authenticate(login.user_name, login.password, login.database,
                                               login.language)
        except LoginFailed as failure:
            self.send_replies(failure.messages + [Done(error=True)])
            return None
        self.spid = session.spid
        self.send(self.login_reply(session, login))
        self.packet_size = tds.negotiated_packet_size(login.packet_size)
        return session

    def login_reply(self, session, login):
        """The tokens SQL Server sends on a successful login, in its order."""
        server = self.engine.server_name
        tokens = [
            tds.encode_reply(DatabaseChanged(session.database, ""), server, more=False),
            tds.message_token(message(5701, session.database, state=LOGIN_CONTEXT_STATE), server),
            tds.env_change_collation(catalog.COLLATION),
            tds.encode_reply(LanguageChanged(session.language, ""), server, more=False),
            tds.message_token(message(5703, session.language), server),
            tds.login_ack(tds.TDS_7_4),
        ]
        if login.wants_feature_ext:
            tokens.append(tds.feature_ext_ack())
        size = str(tds.negotiated_packet_size(login.packet_size))
        tokens.append(tds.env_change(tds.ENV_PACKET_SIZE, size, str(self.packet_size)))
        tokens.append(tds.encode_reply(Done(), server, more=False))
        return b"".join(tokens)

    # ------------------------------------------------------------ requests

    def serve(self, session):
        while True:
            message_type, payload = tds.read_message(self.sock)
            if message_type == tds.SQL_BATCH:
                text = tds.parse_sql_batch(payload)
                self.send_replies(self.engine.execute_batch(session, text))
            elif message_type == tds.ATTENTION:
                # Every batch has been answered in full by now: acknowledge, nothing to stop.
                self.send_replies([Done(attention=True)])
            elif message_type == tds.RPC:
                name = tds.parse_rpc_name(payload)
                self.send_replies([message(2812, name),
                                   ProcedureDone(return_status=None, error=True)])
            else:
                raise tds.ProtocolError(f"unsupported message type {message_type}")
