#pragma once
// A one-file HTTP server on 127.0.0.1 for the news tests: it answers every
// request in the way the test chose, and counts the connections it got.
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

class NewsServer : public QObject {
public:
    enum class Mode {
        Serve,           // 200 with the body and its Content-Length
        ServeNoLength,   // 200 with the body, ended by closing the connection
        NotFound,        // 404 with a short body
        NeverAnswer,     // reads the request and says nothing
        CloseAtOnce,     // closes as soon as the connection is made
    };

    explicit NewsServer(Mode mode, QByteArray body = {}) : m_mode(mode), m_body(std::move(body))
    {
        connect(&m_server, &QTcpServer::newConnection, this, &NewsServer::accept);
        m_server.listen(QHostAddress::LocalHost);
    }

    // The server address as the application record would hold it.
    QString Address() const
    {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    }
    int Connections() const { return m_connections; }
    QByteArray LastRequest() const { return m_lastRequest; }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++m_connections;
            socket->setParent(this);
            if (m_mode == Mode::CloseAtOnce) {
                socket->abort();
                continue;
            }
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        }
    }

    void read(QTcpSocket *socket)
    {
        QByteArray &request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        m_lastRequest = request;
        respond(socket);
    }

    void respond(QTcpSocket *socket)
    {
        QByteArray head;
        switch (m_mode) {
        case Mode::NeverAnswer:
        case Mode::CloseAtOnce:
            return;
        case Mode::Serve:
            head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
                   + QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n";
            break;
        case Mode::ServeNoLength:
            head = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
            break;
        case Mode::NotFound:
            head = "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\n";
            socket->write(head + "not found");
            socket->disconnectFromHost();
            return;
        }
        socket->write(head + m_body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    Mode m_mode;
    QByteArray m_body;
    int m_connections = 0;
    QByteArray m_lastRequest;
    QHash<QTcpSocket *, QByteArray> m_pending;
};
